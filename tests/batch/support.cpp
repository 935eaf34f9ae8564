#include "batch/support.hpp"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace varno96::test {

namespace {

std::string slurp(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + p.string());
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string content(std::FILE *f) {
    std::rewind(f);
    std::string s;
    for (int c = std::getc(f); c != EOF; c = std::getc(f)) s += static_cast<char>(c);
    return s;
}

} // namespace

scratch::scratch() {
    static std::atomic<int> count{0};
    dir_ = fs::temp_directory_path() /
           ("varno96-batch-" + std::to_string(::getpid()) + "-" + std::to_string(count++));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
}

scratch::~scratch() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

void scratch::write(const std::string &name, const std::string &text) const {
    std::ofstream(dir_ / name, std::ios::binary) << text;
}

std::string scratch::read(const std::string &name) const { return slurp(dir_ / name); }

std::vector<std::string> scratch::names() const {
    std::vector<std::string> r;
    for (const auto &e : fs::directory_iterator(dir_)) r.push_back(e.path().filename());
    std::sort(r.begin(), r.end());
    return r;
}

run_result run(const std::string &program, const std::vector<std::string> &args,
               const scratch &where, const std::string &input) {
    std::FILE *in = std::tmpfile(), *out = std::tmpfile(), *err = std::tmpfile();
    if (!in || !out || !err) throw std::runtime_error("no temporary files");
    std::fwrite(input.data(), 1, input.size(), in);
    std::fflush(in);
    std::rewind(in);
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (auto &a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        if (dup2(fileno(in), 0) < 0 || dup2(fileno(out), 1) < 0 || dup2(fileno(err), 2) < 0 ||
            chdir(where.path().c_str()) != 0)
            _exit(126);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    run_result r;
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
        r.status = WEXITSTATUS(status);
    r.out = content(out);
    r.err = content(err);
    for (std::FILE *f : {in, out, err}) std::fclose(f);
    return r;
}

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> r;
    std::istringstream s(text);
    for (std::string line; std::getline(s, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        r.push_back(line);
    }
    return r;
}

std::vector<std::string> words(const std::string &line) {
    std::vector<std::string> r;
    std::istringstream s(line);
    for (std::string w; s >> w;) r.push_back(w);
    return r;
}

std::size_t csv_table::column(const std::string &name) const {
    const auto i = std::find(header.begin(), header.end(), name);
    if (i == header.end()) throw std::runtime_error("no column " + name);
    return static_cast<std::size_t>(i - header.begin());
}

csv_table parse_csv(const std::string &text) {
    std::vector<std::vector<std::string>> records(1);
    std::string field;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '"') {
            for (i++; i < text.size() && (text[i] != '"' || text.compare(i, 2, "\"\"") == 0); i++)
                field += text[i] == '"' ? text[i++] : text[i];
            if (i++ >= text.size()) throw std::runtime_error("a quote not closed");
        } else {
            for (; i < text.size() && std::string(",\r\n").find(text[i]) == std::string::npos; i++)
                if (text[i] == '"')
                    throw std::runtime_error("a quote in an unquoted field");
                else
                    field += text[i];
        }
        records.back().push_back(std::move(field));
        field.clear();
        if (i < text.size() && text[i] == ',') {
            i++;
        } else if (text.compare(i, 2, "\r\n") == 0) {
            i += 2;
            if (i < text.size()) records.emplace_back();
        } else {
            throw std::runtime_error("a record without CR LF");
        }
    }
    csv_table t{records.front(), {records.begin() + 1, records.end()}};
    for (const auto &row : t.rows)
        if (row.size() != t.header.size()) throw std::runtime_error("a row of the wrong width");
    return t;
}

std::string suite_text() { return slurp(fs::path(VARNO96_EXAMPLES) / "SUITE.PRN"); }

std::pair<std::string, std::vector<suite_sample>> suite() {
    const auto all = lines(suite_text());
    std::pair<std::string, std::vector<suite_sample>> r{all.at(0) + "\r\n", {}};
    for (std::size_t i = 1; i < all.size(); i++) {
        const std::string name = words(all[i]).at(1);
        if (r.second.empty() || r.second.back().name != name) r.second.push_back({name, ""});
        r.second.back().lines += all[i] + "\r\n";
    }
    return r;
}

} // namespace varno96::test

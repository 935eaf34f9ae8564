#include "support/scratch.hpp"

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
           ("varno96-test-" + std::to_string(::getpid()) + "-" + std::to_string(count++));
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

std::function<std::size_t(char *, std::size_t)> pieces(std::string text, std::size_t piece) {
    return [text = std::move(text), piece, at = std::size_t{0}](char *to, std::size_t n) mutable {
        const std::size_t got = std::min({n, piece, text.size() - at});
        std::copy_n(text.data() + at, got, to);
        at += got;
        return got;
    };
}

std::string described(const file_input &in) {
    std::ostringstream s;
    s.precision(17);
    s << "error " << in.error << "\nwide " << in.wide << "\n";
    for (const std::string &w : in.warnings) s << "warning " << w << "\n";
    for (const sample_input &x : in.samples) {
        s << "sample " << x.file << " | " << x.name << " | " << x.line << " | " << x.problem
          << "\n";
        for (std::size_t k = 0; k < 3; k++)
            for (const analysis &a : x.analyses[k]) {
                s << "  " << k << " " << a.line << " " << a.label << ":";
                for (int i = 1; i <= NEL; i++) s << " " << a.wt[i];
                s << " | " << a.notes.text() << "\n";
            }
    }
    return s.str();
}

std::string slurp(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path.string());
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

run_result run(const std::string &program, const std::vector<std::string> &args,
               const fs::path &where, const std::string &input) {
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
    const std::string dir = where.string();
    const pid_t child = fork();
    if (child == 0) {
        if (dup2(fileno(in), 0) < 0 || dup2(fileno(out), 1) < 0 || dup2(fileno(err), 2) < 0 ||
            chdir(dir.c_str()) != 0)
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

} // namespace varno96::test

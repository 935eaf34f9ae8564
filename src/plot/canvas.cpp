#include "plot/canvas.hpp"

#include "plot/output.hpp"
#include "scene/scene.hpp"
#include "scene/text.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace varno96::plot {

namespace {

struct rgba {
    PLINT r, g, b;
    PLFLT a;
};
constexpr rgba palette[] = {
    {255, 255, 255, 1.0},                                     // paper
    {0, 0, 0, 1.0},                                           // ink
    {0, 114, 178, 1.0},                                       // pass 1: blue
    {0, 58, 92, 1.0},                                         //   dark blue
    {230, 159, 0, 1.0},                                       // pass 2: orange
    {128, 78, 0, 1.0},                                        //   dark orange
    {0, 114, 178, 0.7},                                       // pass 1 marks
    {230, 159, 0, 0.75},                                      // pass 2 marks
    {110, 110, 110, 1.0},                                     // leader lines
    {128, 78, 0, 0.6},                                        // faint dark orange
    {255, 255, 255, 0.8},                                     // label ground
    {barometer_rgb.r, barometer_rgb.g, barometer_rgb.b, 1.0}, // barometer lines
    {reaction_rgb.r, reaction_rgb.g, reaction_rgb.b, 1.0},    // reactions
    {0, 0, 0, 1.0},                                           // shade, set where used
};
static_assert(std::size(palette) == thermometer_first);

std::vector<std::string> device_names() {
    std::vector<const char *> menu(256), names(256);
    int n = static_cast<int>(names.size());
    const char **menu_p = menu.data(), **names_p = names.data();
    plgDevs(&menu_p, &names_p, &n);
    return {names_p, names_p + n};
}

const char *choose_device(const std::string &path) {
    struct choice {
        picture_format format;
        const char *what;
        std::vector<const char *> devices; // best first
    };
    static const choice choices[] = {
        {picture_format::svg, "SVG", {"svg"}},
        {picture_format::pdf, "PDF", {"pdfcairo", "pdf"}},
        {picture_format::ps, "PostScript", {"pscairo", "psc"}},
    };
    const auto format = format_of(path);
    if (!format)
        throw std::runtime_error("cannot write " + path +
                                 ": the name must end in .svg, .pdf or .ps");
    const std::vector<std::string> present = device_names();
    for (const choice &c : choices) {
        if (c.format != *format) continue;
        std::string tried;
        for (const char *device : c.devices) {
            if (std::find(present.begin(), present.end(), device) != present.end()) return device;
            tried += (tried.empty() ? "" : " or ") + std::string(device);
        }
        throw std::runtime_error("cannot write " + path + ": this PLplot has no " + c.what +
                                 " device (" + tried + ")");
    }
    throw std::logic_error("picture format without devices");
}

} // namespace

colour thermometer_colour(std::size_t index) {
    return static_cast<colour>(thermometer_first +
                               static_cast<PLINT>(index % thermometer_colours.size()));
}

// PLplot writes through a FILE; this one keeps everything in memory, so that the picture
// reaches its file only once it is complete. The PostScript device seeks back to its header.
namespace {

ssize_t memory_write(void *cookie, const char *data, std::size_t size) {
    auto &m = *static_cast<canvas::memory_file *>(cookie);
    if (m.bytes.size() < m.at + size) m.bytes.resize(m.at + size);
    std::memcpy(m.bytes.data() + m.at, data, size);
    m.at += size;
    return static_cast<ssize_t>(size);
}
int memory_seek(void *cookie, off64_t *offset, int whence) {
    auto &m = *static_cast<canvas::memory_file *>(cookie);
    const off64_t base = whence == SEEK_SET   ? 0
                         : whence == SEEK_CUR ? static_cast<off64_t>(m.at)
                                              : static_cast<off64_t>(m.bytes.size());
    if (base + *offset < 0) return -1;
    m.at = static_cast<std::size_t>(base + *offset);
    *offset = base + *offset;
    return 0;
}
int memory_close(void *cookie) {
    static_cast<canvas::memory_file *>(cookie)->closed = true;
    return 0;
}

} // namespace

canvas::canvas(std::string path, double width_pt, double height_pt) : path_(std::move(path)) {
    const char *device = choose_device(path_);
    const auto page_width = static_cast<PLINT>(std::lround(width_pt));
    const auto page_height = static_cast<PLINT>(std::lround(height_pt));
    file_ = fopencookie(&memory_, "w", {nullptr, memory_write, memory_seek, memory_close});
    if (file_ == nullptr) throw std::runtime_error("cannot write " + path_ + ": out of memory");
    stream_ = std::make_unique<plstream>();
    plstream &p = pl();
    p.sdev(device);
    p.sfile(file_);
    if (std::strcmp(device, "pscairo") == 0) {
        // The cairo PostScript device turns a landscape page on its side unless asked for
        // portrait, which then takes the page's length first.
        p.setopt("portrait", "");
        p.spage(72, 72, page_height, page_width, 0, 0);
    } else {
        p.spage(72, 72, page_width, page_height, 0, 0);
    }
    constexpr auto fixed = static_cast<PLINT>(std::size(palette));
    p.scmap0n(fixed + static_cast<PLINT>(thermometer_colours.size()));
    for (PLINT i = 0; i < fixed; i++)
        p.scol0a(i, palette[i].r, palette[i].g, palette[i].b, palette[i].a);
    for (std::size_t i = 0; i < thermometer_colours.size(); i++)
        p.scol0a(thermometer_colour(i), thermometer_colours[i].r, thermometer_colours[i].g,
                 thermometer_colours[i].b, 1.0);
    p.init();
    p.adv(0);
    p.gspa(page_mm_[0], page_mm_[1], page_mm_[2], page_mm_[3]);
}

canvas::~canvas() { close_stream(); }

void canvas::next_page() {
    pl().adv(0);
    pl().gspa(page_mm_[0], page_mm_[1], page_mm_[2], page_mm_[3]);
}

void canvas::page_world(double width, double height) {
    pl().vpor(0, 1, 0, 1);
    pl().wind(0, width, 0, height);
}

void canvas::close_stream() {
    if (!stream_) return;
    stream_.reset(); // ends the page; PLplot closes the file
    if (!memory_.closed) std::fclose(file_);
    file_ = nullptr;
}

void canvas::finish() {
    close_stream();
    write_whole(path_, memory_.bytes);
}

void canvas::axes(const axis_range &t_axis, const axis_range &p_axis, double bottom,
                  const std::string &t_label, bool t_numbers) {
    // Room for the last tick label on the right.
    const double w = page_mm_[1] - page_mm_[0], h = page_mm_[3] - page_mm_[2];
    axes(t_axis, p_axis, rect{0.12 * w, bottom * h, 0.95 * w, 0.88 * h}, t_label, t_numbers);
}

void canvas::axes(const axis_range &t_axis, const axis_range &p_axis, const rect &frame,
                  const std::string &t_label, bool t_numbers) {
    plstream &p = pl();
    const double w = page_mm_[1] - page_mm_[0], h = page_mm_[3] - page_mm_[2];
    p.vpor((frame.x0 - page_mm_[0]) / w, (frame.x1 - page_mm_[0]) / w, (frame.y0 - page_mm_[2]) / h,
           (frame.y1 - page_mm_[2]) / h);
    p.wind(t_axis.lo, t_axis.hi, p_axis.lo, p_axis.hi);
    p.col0(ink);
    p.width(1);
    p.schr(0, 0.9);
    p.box(t_numbers ? "bcnst" : "bc", 0, 0, "bcnstv", 0, 0);
    p.schr(0, 1.0);
    p.mtex("b", t_numbers ? 2.6 : 1.4, 0.5, 0.5, t_label.c_str());
    p.mtex("l", 4.3, 0.5, 0.5, "P (kbar)");
}

void canvas::titles(const std::string &title, const std::string &subtitle) {
    plstream &p = pl();
    p.col0(ink);
    // A long title (a batch's) is set smaller to stay within the page.
    const auto fit = [&](const std::string &text, double scale) {
        p.schr(0, scale);
        const double width = text_width_mm(text);
        const double room = 0.96 * (page_mm_[1] - page_mm_[0]);
        if (width > room) p.schr(0, scale * room / width);
    };
    fit(title, 1.25);
    p.mtex("t", subtitle.empty() ? 1.4 : 2.3, 0.5, 0.5, title.c_str());
    if (!subtitle.empty()) {
        fit(subtitle, 0.9);
        p.mtex("t", 1.0, 0.5, 0.5, subtitle.c_str());
    }
    p.schr(0, 1.0);
}

void canvas::polyline(std::span<const pt_point> points, colour c, double width, bool dashed) {
    std::vector<PLFLT> t, pk;
    for (const pt_point &q : points) t.push_back(q.t_c), pk.push_back(q.p_kbar);
    plstream &p = pl();
    p.col0(c);
    p.width(width);
    if (dashed) p.lsty(dashed_style);
    p.line(static_cast<PLINT>(t.size()), t.data(), pk.data());
    p.lsty(1);
    p.width(1);
}

void canvas::fill(const rect &b, colour c) {
    const pt_point lo = from_mm(b.x0, b.y0), hi = from_mm(b.x1, b.y1);
    PLFLT t[] = {lo.t_c, hi.t_c, hi.t_c, lo.t_c},
          pk[] = {lo.p_kbar, lo.p_kbar, hi.p_kbar, hi.p_kbar};
    pl().col0(c);
    pl().fill(4, t, pk);
}

void canvas::polygon(std::span<const pt_point> corners, colour c) {
    if (corners.size() < 3) return;
    // From the middle of the first edge round to it again: the SVG device outlines a filled
    // shape as an open line, whose ends would otherwise notch a corner.
    std::vector<PLFLT> t, pk;
    t.push_back((corners[0].t_c + corners[1].t_c) / 2);
    pk.push_back((corners[0].p_kbar + corners[1].p_kbar) / 2);
    for (std::size_t i = 1; i <= corners.size(); i++) {
        const pt_point &q = corners[i % corners.size()];
        t.push_back(q.t_c), pk.push_back(q.p_kbar);
    }
    pl().col0(c);
    pl().fill(static_cast<PLINT>(t.size()), t.data(), pk.data());
}

void canvas::marks(std::span<const pt_point> points, const char *glyph, colour c, double scale) {
    std::vector<PLFLT> t, pk;
    for (const pt_point &q : points) t.push_back(q.t_c), pk.push_back(q.p_kbar);
    plstream &p = pl();
    p.col0(c);
    p.schr(0, scale);
    p.string(static_cast<PLINT>(t.size()), t.data(), pk.data(), glyph);
    p.schr(0, 1.0);
}

void canvas::mean_mark(const pt_point &at, colour fill, colour rim, double scale) {
    marks(std::span(&at, 1), mean_glyph, rim, scale * 1.45);
    marks(std::span(&at, 1), mean_glyph, fill, scale);
}

void canvas::bar(const error_bar &b, colour c, double width, double cap) {
    double x = 0, y = 0;
    to_mm({b.t_c, b.p_low}, x, y);
    const double half = from_mm(x + cap / 2, y).t_c - b.t_c;
    const pt_point stem[] = {{b.t_c, b.p_low}, {b.t_c, b.p_high}};
    polyline(stem, c, width);
    if (cap <= 0) return;
    for (double p_end : {b.p_low, b.p_high}) {
        const pt_point end[] = {{b.t_c - half, p_end}, {b.t_c + half, p_end}};
        polyline(end, c, width, false);
    }
}

std::pair<double, double> canvas::legend(std::span<const legend_entry> entries, double x, double y,
                                         bool from_right) {
    plstream &p = pl();
    p.vpor(0, 1, 0, 1);
    p.wind(0, 1, 0, 1);
    const std::size_t n = entries.size();
    if (n == 0) return {0, 0};
    std::vector<PLINT> opt(n), text_colours(n, ink), zero(n, 0), line_colours(n), line_styles(n),
        symbol_colours(n), symbol_numbers(n, 3);
    std::vector<PLFLT> zero_f(n, 0), line_widths(n), symbol_scales(n);
    std::vector<const char *> text(n), symbols(n);
    for (std::size_t i = 0; i < n; i++) {
        const legend_entry &e = entries[i];
        opt[i] = (e.line_width > 0 ? PL_LEGEND_LINE : 0) | (e.symbol ? PL_LEGEND_SYMBOL : 0);
        text[i] = e.text.c_str();
        line_colours[i] = symbol_colours[i] = e.c;
        line_styles[i] = e.dashed ? dashed_style : 1;
        line_widths[i] = e.line_width;
        symbols[i] = e.symbol ? e.symbol : "";
        symbol_scales[i] = e.symbol_scale;
        if (e.line_width > 0 && e.symbol) symbol_numbers[i] = 2;
        if (e.line_width <= 0) symbol_numbers[i] = 1;
    }
    PLFLT width = 0, height = 0;
    const PLINT side = from_right ? PL_POSITION_RIGHT : PL_POSITION_LEFT;
    p.legend(&width, &height, 0, side | PL_POSITION_BOTTOM | PL_POSITION_INSIDE, x, y,
             legend_plot_width, paper, ink, 1, static_cast<PLINT>(n), 1, static_cast<PLINT>(n),
             opt.data(), 0.8, 0.75, legend_pitch, 0, text_colours.data(), text.data(), zero.data(),
             zero.data(), zero_f.data(), zero_f.data(), line_colours.data(), line_styles.data(),
             line_widths.data(), symbol_colours.data(), symbol_scales.data(), symbol_numbers.data(),
             symbols.data());
    return {width, height};
}

void canvas::to_mm(const pt_point &q, double &x, double &y) {
    PLFLT vx0, vx1, vy0, vy1, wx0, wx1, wy0, wy1;
    pl().gvpd(vx0, vx1, vy0, vy1);
    pl().gvpw(wx0, wx1, wy0, wy1);
    const double fx = vx0 + (q.t_c - wx0) / (wx1 - wx0) * (vx1 - vx0);
    const double fy = vy0 + (q.p_kbar - wy0) / (wy1 - wy0) * (vy1 - vy0);
    x = page_mm_[0] + fx * (page_mm_[1] - page_mm_[0]);
    y = page_mm_[2] + fy * (page_mm_[3] - page_mm_[2]);
}

pt_point canvas::from_mm(double x, double y) {
    PLFLT vx0, vx1, vy0, vy1, wx0, wx1, wy0, wy1;
    pl().gvpd(vx0, vx1, vy0, vy1);
    pl().gvpw(wx0, wx1, wy0, wy1);
    const double fx = (x - page_mm_[0]) / (page_mm_[1] - page_mm_[0]);
    const double fy = (y - page_mm_[2]) / (page_mm_[3] - page_mm_[2]);
    return {wx0 + (fx - vx0) / (vx1 - vx0) * (wx1 - wx0),
            wy0 + (fy - vy0) / (vy1 - vy0) * (wy1 - wy0)};
}

rect canvas::frame_mm() {
    PLFLT wx0, wx1, wy0, wy1;
    pl().gvpw(wx0, wx1, wy0, wy1);
    rect r;
    to_mm({wx0, wy0}, r.x0, r.y0);
    to_mm({wx1, wy1}, r.x1, r.y1);
    return r;
}

double canvas::text_width_mm(const std::string &utf8) {
    return 0.6 * 1.25 * char_height_mm() * static_cast<double>(text_length(utf8));
}

double canvas::char_height_mm() {
    PLFLT def = 0, height = 0;
    pl().gchr(def, height);
    return height;
}

} // namespace varno96::plot

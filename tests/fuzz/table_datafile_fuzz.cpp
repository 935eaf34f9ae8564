// The library's reader of the data-file layout, alone: any bytes as the lines after a header
// of the layout, the one the first byte picks (blank-, comma- or tab-separated, with a total
// or empty fields after K2O), then the units of every way of combining. The header is taken as
// the layout's; read twice the text reads the same; every problem names a line; every message
// is one short line; every value read is finite.
#include "reader_checks.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// No allocation stacks and a small quarantine: recording where each string was allocated took
// much of the time of an input. A report still shows the access that went wrong; to see where
// its memory came from, run the finding again with ASAN_OPTIONS=malloc_context_size=30.
extern "C" const char *__asan_default_options() {
    return "malloc_context_size=0:quarantine_size_mb=16";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const std::array<const char *, 5> headers{
        "No Sample Min # Descr Ox SiO2 TiO2 Al2O3 Fe2O3 FeO MnO MgO CaO Na2O K2O\r\n",
        "No,Sample,Min,#,Descr,Ox,SiO2,TiO2,Al2O3,Fe2O3,FeO,MnO,MgO,CaO,Na2O,K2O,Total\r\n",
        "No\tSample\tMin\t#\tDescr\tOx\tSiO2\tTiO2\tAl2O3\tFe2O3\tFeOt\tMnO\tMgO\tCaO\tNa2O\tK2O\n",
        "\"No\",\"Sample\",\"Min\",\"#\",\"Descr\",\"Ox\",\"SiO2\",\"TiO2\",\"Al2O3\",\"Fe2O3\","
        "\"FeO\",\"MnO\",\"MgO\",\"CaO\",\"Na2O\",\"K2O\",,\r",
        "No Sample Min # Descr Ox SiO2 TiO2 Al2O3 Fe2O3 FeO* MnO MgO CaO Na2O K2O TOTAL H2O\n"};
    if (size == 0) return 0;
    const std::string text = headers[data[0] % headers.size()] +
                             std::string(reinterpret_cast<const char *>(data + 1), size - 1);
    // Read by names, this header would be said to have columns ignored.
    const varno96::file_input read = varno96::fuzz::read_and_check("fuzz.PRN", text);
    // Bytes after the header that are mostly control characters make the file binary, refused
    // whole before any header is read.
    if (read.error == "fuzz.PRN: not a text table" && read.warnings.empty()) return 0;
    // Bytes that are no UTF-8 are read as Windows-1252 and said once: a word on the text, not
    // on its header.
    const std::string recoded = "fuzz.PRN: the text is not UTF-8: read as Windows-1252";
    bool other_warning = false;
    for (const std::string &w : read.warnings)
        other_warning = other_warning || !w.starts_with(recoded);
    if (!read.error.empty() || other_warning)
        varno96::fuzz::finding("a header of the data-file layout is not taken as one");
    return 0;
}

// Feeds arbitrary bytes to the data-file reader. What it reads must survive a save and a second
// reading unchanged, and data that pass the check must give a schedule that honours every link.

#include "file_properties.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString fault = zant::fuzz::projectFileFault(bytes);
    if (!fault.isEmpty()) {
        std::fprintf(stderr, "fuzz_project_file: %s\n", qPrintable(fault));
        std::abort();
    }
    return 0;
}

// Feeds arbitrary bytes to the title-page reader; what it reads must survive a save and a second
// reading unchanged.

#include "file_properties.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString fault = zant::fuzz::titlePageFault(bytes);
    if (!fault.isEmpty()) {
        std::fprintf(stderr, "fuzz_title_page: %s\n", qPrintable(fault));
        std::abort();
    }
    return 0;
}

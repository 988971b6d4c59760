// Feeds arbitrary bytes to the reader of the extended section, after the traditional records of
// a small project: a section that is read must survive a save and a second reading unchanged,
// and the traditional records must still give the same network.

#include "file_properties.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString fault = zant::fuzz::extendedSectionFault(bytes);
    if (!fault.isEmpty()) {
        std::fprintf(stderr, "fuzz_extended_section: %s\n", qPrintable(fault));
        std::abort();
    }
    return 0;
}

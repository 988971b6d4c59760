// Feeds arbitrary bytes to the title-page reader; what it reads must survive a save and a second
// reading unchanged.

#include "model/title_page.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace zant;

namespace {

[[noreturn]] void fault(const char* what, const QString& detail = QString())
{
    std::fprintf(stderr, "fuzz_title_page: %s\n%s\n", what, qPrintable(detail));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto read = parseTitlePageData(bytes, QStringLiteral("fuzz-input"));
    if (!read) {
        if (read.error().text.isEmpty() || read.error().kind != MessageKind::Critical)
            fault("a refused file without a critical message");
        return 0;
    }
    const auto saved = serializeTitlePage(read.value());
    if (!saved)
        return 0; // refused, with a message: text the file cannot hold
    const auto again = parseTitlePageData(saved.value(), QStringLiteral("fuzz-saved"));
    if (!again)
        fault("a saved title page does not read back", again.error().text);
    if (!(again.value() == read.value()))
        fault("a saved title page reads back different", QString::fromLatin1(saved.value()));
    const auto savedAgain = serializeTitlePage(again.value());
    if (!savedAgain || savedAgain.value() != saved.value())
        fault("saving what was read back gives a different file");
    return 0;
}

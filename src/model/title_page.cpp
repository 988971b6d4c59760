#include "model/title_page.h"

#include "model/cp1252.h"
#include "model/extended_section.h"
#include "model/file_io.h"
#include "model/record_reader.h"

#include <QStringList>

namespace zant {

namespace {

constexpr qint64 kMaxTitlePageFileBytes = 1 << 20;

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QString TitlePage::fieldName(int field)
{
    static const char16_t* const names[kFieldCount] = {
        u"progetto",           u"località",          u"tipologia di studio",    u"committente",
        u"luogo elaborazione", u"data elaborazione", u"allegati alla relazione"};
    return field >= 0 && field < kFieldCount ? QString::fromUtf16(names[field]) : QString();
}

Message checkTitlePage(const TitlePage& page)
{
    bool allEmptyButDate = true;
    bool anyEmpty = false;
    for (int f = 0; f < TitlePage::kFieldCount; ++f) {
        if (page.fields[f].isEmpty())
            anyEmpty = true;
        else if (f != TitlePage::data)
            allEmptyButDate = false;
    }
    if (allEmptyButDate)
        return {MessageKind::Question, QStringLiteral("Non è stato immesso alcun dato.")};
    if (anyEmpty)
        return exclamation(QStringLiteral("Inserire dati per ogni campo."));
    return information(QStringLiteral("I dati sono stati immessi correttamente."));
}

std::optional<Message> fieldLengthWarning(const QString& text)
{
    if (text.size() <= kTitleFieldWarnLength)
        return std::nullopt;
    return exclamation(
        QStringLiteral("Per una stampa corretta non digitare dati lunghi più di 60 spazi."));
}

std::optional<QString> unstorableTextReason(const QString& text)
{
    if (text.contains(QLatin1Char('"')))
        return QStringLiteral("contiene le virgolette (\"), che il file non può contenere");
    if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')))
        return QStringLiteral("contiene un a capo, che il file non può contenere");
    if (auto c = firstCharOutsideCp1252(text)) {
        const char32_t cp = *c;
        const QString hex = QString::number(static_cast<uint>(cp), 16).toUpper();
        return QStringLiteral("contiene il carattere «%1» (U+%2), che il file non può contenere")
            .arg(QString::fromUcs4(&cp, 1), hex.rightJustified(4, QLatin1Char('0')));
    }
    // The readers take a file for UTF-8 when all of its accented bytes pair up as UTF-8. A text
    // whose bytes do so on their own ("Ã©") would come back changed ("é") from a file where it
    // is the only accented text, so it is refused whatever the rest of the file holds.
    const QByteArray bytes = encodeCp1252(text);
    if (decodeTextFile(bytes) != text) {
        // One byte per character: the first sequence starts at the first accented character.
        qsizetype at = 0;
        while (at < bytes.size() && static_cast<uchar>(bytes[at]) < 0x80)
            ++at;
        const auto lead = static_cast<uchar>(at < bytes.size() ? bytes[at] : 0);
        const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        return QStringLiteral("contiene «%1», che alla rilettura del file diventerebbe «%2»")
            .arg(text.mid(at, length), QString::fromUtf8(bytes.mid(at, length)));
    }
    return std::nullopt;
}

Result<TitlePage> parseTitlePageData(const QByteArray& bytes, const QString& fileName)
{
    RecordReader reader(decodeTextFile(bytes));
    TitlePage page;
    for (int f = 0; f < TitlePage::kFieldCount; ++f) {
        const auto field = reader.next();
        if (!field)
            return Error(
                ErrorKind::Format,
                critical(QStringLiteral("Il file \"%1\" non è un frontespizio valido (campo "
                                        "'%2', riga %3): %4.")
                             .arg(displayPath(fileName), TitlePage::fieldName(f))
                             .arg(reader.line())
                             .arg(field.error().text)));
        if (!field.value())
            return Error(
                ErrorKind::Format,
                critical(QStringLiteral("Il file \"%1\" non è un frontespizio valido: contiene "
                                        "%2 campi invece di 7.")
                             .arg(displayPath(fileName))
                             .arg(f)));
        page.fields[f] = field.value()->text;
    }
    auto section =
        readExtendedSection(reader.remaining(), reader.remainingLine(), fileName, nullptr, &page);
    if (!section)
        return section.error();
    return page;
}

Result<TitlePage> readTitlePageFile(const QString& path)
{
    auto bytes = readWholeFile(path, kMaxTitlePageFileBytes);
    if (!bytes)
        return bytes.error();
    return parseTitlePageData(bytes.value(), path);
}

Result<QByteArray> serializeTitlePage(const TitlePage& page)
{
    // A field the record cannot hold goes there in its closest form; the extended section that
    // follows the record keeps it whole.
    QStringList items;
    for (int f = 0; f < TitlePage::kFieldCount; ++f) {
        const QString& text = page.fields[f];
        items << quoted(unstorableTextReason(text) ? traditionalSubstitute(text) : text);
    }
    return encodeCp1252(items.join(QLatin1Char(',')) + QStringLiteral("\r\n"));
}

Result<void> writeTitlePageFile(const QString& path, const TitlePage& page,
                                const SaveTargetFactory& targets)
{
    auto bytes = serializeTitlePage(page);
    if (!bytes)
        return bytes.error();
    return saveFile(path, bytes.value() + serializeTitlePageSection(page, nullptr), targets);
}

} // namespace zant

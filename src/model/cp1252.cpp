#include "model/cp1252.h"

#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <iterator>

namespace zant {

namespace {

// Code points of bytes 0x80..0x9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::optional<char> encodeChar(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

bool hasNonAscii(const QByteArray& bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

} // namespace

QString decodeCp1252(const QByteArray& bytes)
{
    QString text;
    text.resize(bytes.size());
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHighControls[b - 0x80]) : QChar(b);
    }
    return text;
}

QByteArray encodeCp1252(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text)
        bytes.append(encodeChar(c.unicode()).value_or('?'));
    return bytes;
}

std::optional<char32_t> firstCharOutsideCp1252(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (encodeChar(c.unicode()))
            continue;
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            return QChar::surrogateToUcs4(c, text[i + 1]);
        return c.unicode();
    }
    return std::nullopt;
}

QString traditionalSubstitute(const QString& text)
{
    struct Spelling
    {
        char32_t symbol;
        const char* text;
    };
    static constexpr Spelling kSpellings[] = {
        {0x2265, ">="},  {0x2264, "<="}, {0x2260, "<>"}, {0x2192, "->"},   {0x2190, "<-"},
        {0x2194, "<->"}, {0x21D2, "=>"}, {0x2248, "~"},  {0x223C, "~"},    {0x2212, "-"},
        {0x2010, "-"},   {0x2011, "-"},  {0x2012, "-"},  {0x2015, "-"},    {0x2032, "'"},
        {0x2033, "''"},  {0x2044, "/"},  {0x2215, "/"},  {0x2219, "\xB7"}, {0x00A0, " "},
        {0x2009, " "},   {0x202F, " "}};
    QString out;
    out.reserve(text.size());
    const QList<uint> codePoints = text.toUcs4();
    for (const uint cp : codePoints) {
        if (cp == '"') {
            out += QLatin1Char('\'');
            continue;
        }
        if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0 && !encodeChar(char16_t(cp)))) {
            out += QLatin1Char(' ');
            continue;
        }
        if (cp < 0x10000 && encodeChar(static_cast<char16_t>(cp))) {
            out += QChar(static_cast<char16_t>(cp));
            continue;
        }
        const auto spelling = std::find_if(std::begin(kSpellings), std::end(kSpellings),
                                           [cp](const Spelling& s) { return s.symbol == cp; });
        if (spelling != std::end(kSpellings)) {
            out += QString::fromLatin1(spelling->text);
            continue;
        }
        // Compatibility decomposition: "ő" is "o" and a combining mark, "ﬁ" is "fi". Marks the
        // code page cannot hold are left out; the letters must all fit.
        const char32_t one = cp;
        const QString decomposed =
            QString::fromUcs4(&one, 1).normalized(QString::NormalizationForm_KD);
        QString kept;
        bool fits = true;
        for (const QChar c : decomposed) {
            if (c.category() == QChar::Mark_NonSpacing)
                continue;
            if (!encodeChar(c.unicode()) || c.unicode() < 0x20) {
                fits = false;
                break;
            }
            kept += c;
        }
        out += fits && !kept.isEmpty() ? kept : QStringLiteral("?");
    }
    return out;
}

QString decodeTextFile(const QByteArray& bytes)
{
    static const QByteArray bom("\xEF\xBB\xBF");
    if (bytes.startsWith(bom) || hasNonAscii(bytes)) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(bytes);
        if (!utf8.hasError()) {
            if (text.startsWith(QChar(0xFEFF)))
                text.remove(0, 1);
            return text;
        }
    }
    return decodeCp1252(bytes);
}

std::optional<QString> decodeWithUnicodeBom(const QByteArray& bytes)
{
    // UTF-32 first: its little-endian mark begins like the UTF-16 one.
    static const struct
    {
        QByteArrayView mark;
        QStringConverter::Encoding encoding;
    } kMarks[] = {
        {QByteArrayView("\xFF\xFE\x00\x00", 4), QStringConverter::Utf32LE},
        {QByteArrayView("\x00\x00\xFE\xFF", 4), QStringConverter::Utf32BE},
        {QByteArrayView("\xFF\xFE", 2), QStringConverter::Utf16LE},
        {QByteArrayView("\xFE\xFF", 2), QStringConverter::Utf16BE},
    };
    for (const auto& [mark, encoding] : kMarks) {
        if (!bytes.startsWith(mark))
            continue;
        QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
        return QString(decoder.decode(QByteArrayView(bytes).sliced(mark.size())));
    }
    return std::nullopt;
}

QString decodeForeignText(const QByteArray& bytes)
{
    if (auto text = decodeWithUnicodeBom(bytes))
        return *std::move(text);
    return decodeTextFile(bytes);
}

} // namespace zant

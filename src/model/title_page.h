#pragma once

#include "model/file_io.h"
#include "model/message.h"

#include <QByteArray>
#include <QString>

#include <array>

namespace zant {

// The seven title-page texts, in the order in which the files store them.
struct TitlePage
{
    enum Field
    {
        progetto,
        localita,
        tipostudio,
        committente,
        luogo,
        data,
        allegati
    };
    static constexpr int kFieldCount = 7;

    std::array<QString, kFieldCount> fields;

    const QString& operator[](Field f) const { return fields[f]; }
    QString& operator[](Field f) { return fields[f]; }
    void clear() { fields.fill(QString()); }

    // The field names the users see, for messages ("progetto", "località", ...).
    static QString fieldName(int field);

    friend bool operator==(const TitlePage&, const TitlePage&) = default;
};

inline constexpr int kTitleFieldWarnLength = 60;

// Whether the fields are all empty, partly empty or all filled, as the title-page window's check
// tells the user.
Message checkTitlePage(const TitlePage& page);

// The warning shown while a field is longer than 60 characters, or nothing.
std::optional<Message> fieldLengthWarning(const QString& text);

// Why a text cannot be stored in the files (a double quote, a line break, a character
// Windows-1252 lacks, accents whose bytes would read back as UTF-8), or nothing.
std::optional<QString> unstorableTextReason(const QString& text);

// Title-page file: one line with the seven fields quoted and separated by commas.
Result<TitlePage> parseTitlePageData(const QByteArray& bytes, const QString& fileName);
Result<TitlePage> readTitlePageFile(const QString& path);
Result<QByteArray> serializeTitlePage(const TitlePage& page);
// Writes through a temporary file: on failure the old file is left as it was.
Result<void> writeTitlePageFile(const QString& path, const TitlePage& page,
                                const SaveTargetFactory& targets = makeFileTarget);

} // namespace zant

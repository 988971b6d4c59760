#pragma once

#include "model/message.h"

#include <QByteArray>
#include <QString>

namespace zant {

// The office that signs the documents. Read from an INI file:
//   [studio]
//   nome=Studio tecnico ...
//   indirizzo=Via ..., città
//   progettista=Ing. ...
// A value is everything after the "=", commas and quotes included; a value wholly in double
// quotes loses the outer pair. The file may be UTF-8, Windows-1252, or UTF-16 or UTF-32 with a
// byte order mark; lines may end with CR LF, LF or CR. Missing values read as
// readable placeholders, so a cover is never blank.
struct OfficeSettings
{
    QString officeName;
    QString officeAddress;
    // The designer who signs the report; empty: the office signs.
    QString designer = {};

    // What the documents show where the file gives no name or address.
    static QString namePlaceholder();
    static QString addressPlaceholder();
    // The name that signs the report as "progettista".
    QString designerName() const { return designer.trimmed().isEmpty() ? officeName : designer; }

    // ~/.config/ZANT/zant.ini on Linux (the platform's configuration folder elsewhere).
    static QString defaultPath();
    // Reads the file when it can; a missing or unreadable file gives the placeholders.
    static OfficeSettings load(const QString& path = defaultPath());
    // Reads a file the user named: one that is missing, unreadable or a folder is an error.
    static Result<OfficeSettings> read(const QString& path);
    // The settings held by the text of an INI file.
    static OfficeSettings parse(const QByteArray& bytes);
};

// A value wholly in double quotes without them, \" and \\ inside standing for a quote and a
// backslash, as an INI writer quotes a value; any other value as written.
QString unquoteSettingsValue(const QString& value);

} // namespace zant

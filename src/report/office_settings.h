#pragma once

#include <QString>

namespace zant {

// The office that signs the documents. Read from an INI file:
//   [studio]
//   nome=Studio tecnico ...
//   indirizzo=Via ..., città
// Missing values read as readable placeholders, so a cover is never blank.
struct OfficeSettings
{
    QString officeName;
    QString officeAddress;

    // ~/.config/ZANT/zant.ini on Linux (the platform's configuration folder elsewhere).
    static QString defaultPath();
    static OfficeSettings load(const QString& path = defaultPath());
};

} // namespace zant

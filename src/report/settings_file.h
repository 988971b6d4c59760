#pragma once

#include "model/message.h"
#include "report/office_settings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace zant {

// Writing the program's settings file, the INI file that OfficeSettings reads. A write changes
// only its own keys: every other line of the file (comments, other keys, other sections) stays
// as it was.

// The INI text with the keys of `section` set to `values`, in that order: a key already in the
// section is replaced where it stands (its later repetitions are dropped), a new one goes at
// the end of the section, a missing section is added at the end of the file. With
// `replaceSection` every other key of the section goes. Keys and sections match without regard
// to case, as the reader matches them. The text comes back in UTF-8 with the original's line
// ends (LF for a new file).
QByteArray updateIniText(const QByteArray& original, const QString& section,
                         const std::vector<std::pair<QString, QString>>& values,
                         bool replaceSection = false);

// A value as the reader takes it back: quoted when it has blanks at either end or is itself
// wholly in double quotes; line breaks become blanks.
QString iniValue(const QString& value);

// Writes the office's name, address and designer into [studio] through the save helper,
// creating the file (and its folder) when there is none.
Result<void> writeOfficeSettings(const QString& path, const OfficeSettings& office);

// The files last opened or saved, most recent first, kept in the section [recenti] as
// file1=..., file2=...; at most kRecentFiles.
constexpr int kRecentFiles = 8;
QStringList parseRecentFiles(const QByteArray& iniText);
QStringList readRecentFiles(const QString& path);
Result<void> writeRecentFiles(const QString& path, const QStringList& files);

} // namespace zant

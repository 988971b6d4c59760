#pragma once

#include "model/data_check.h"
#include "model/message.h"
#include "model/project.h"
#include "model/title_page.h"

#include <QByteArray>
#include <QString>

namespace zant {

// What a project data file holds: the network and the title page that travels with it.
struct ProjectFileContents
{
    Project project;
    TitlePage titlePage;
};

// Reads a data file into a fresh project; the caller swaps it in only on success. A refusal
// names the file and the record where reading stopped.
Result<ProjectFileContents> parseProjectData(const QByteArray& bytes, const QString& fileName);
Result<ProjectFileContents> readProjectFile(const QString& path);

// The records of a data file, in Windows-1252. Refused when a description or a title-page
// field holds text that would not read back.
Result<QByteArray> serializeProjectData(const Project& project, const TitlePage& titlePage);

// Writes the file through a temporary one: a failure leaves the old file intact.
std::optional<Message> writeProjectFile(const QString& path, const Project& project,
                                        const TitlePage& titlePage);

// The name proposed for a project's data file: "ZANT-dati-<progetto>.txt", the characters that
// no file name may hold turned into dashes ("ZANT-dati-.txt" without a project name).
QString dataFileNameFor(const QString& project);
// The path with "ZANT-dati-" put before its file name and ".txt" after it, each only where it is
// missing (letter case aside).
QString withDataFileAffixes(const QString& path);

// Whether the first record of a file is the header of a project data file: a start date (or
// nothing) and an event count from 0 to 500, alone on the first line. The open dialog shows such
// files whatever their name.
bool looksLikeProjectData(const QByteArray& head);
bool isProjectDataFile(const QString& path);

// What a save needs before a file is chosen: data that pass the check (hand-shake through
// the check confirmation) and the project name. `openTitlePage` tells the window to show the title
// page.
struct SaveRefusal
{
    Message message;
    bool openTitlePage = false;
};
std::optional<SaveRefusal> checkBeforeSave(const Project& project, const TitlePage& titlePage,
                                           CheckConfirmation& confirmation);

} // namespace zant

#pragma once

#include "model/data_check.h"
#include "model/extended_section.h"
#include "model/file_io.h"
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
    // The version of the file's extended section (0: the file has none). A version newer than
    // this program's is opened without being rewritten.
    int sectionVersion = 0;

    bool newerSection() const { return sectionVersion > kExtendedSectionVersion; }
};

// How much of a file to read: everything, or the traditional records alone, as the versions
// before the extended section did (the tests read files that way).
enum class ProjectRecords
{
    All,
    TraditionalOnly
};

// Reads a data file into a fresh project; the caller swaps it in only on success. A refusal
// names the file and the record (or the line of the extended section) where reading stopped.
Result<ProjectFileContents> parseProjectData(const QByteArray& bytes, const QString& fileName,
                                             ProjectRecords records = ProjectRecords::All);
Result<ProjectFileContents> readProjectFile(const QString& path);

// The records of a data file, in Windows-1252, then the extended section when the project has
// anything those records cannot hold. `substituted` (if given) tells whether some text went into
// the traditional records as its closest Windows-1252 form (the section keeps it whole).
Result<QByteArray> serializeProjectData(const Project& project, const TitlePage& titlePage,
                                        bool* substituted = nullptr);

// Writes the file through a temporary one: a failure leaves the old file intact.
Result<void> writeProjectFile(const QString& path, const Project& project,
                              const TitlePage& titlePage, bool* substituted = nullptr,
                              const SaveTargetFactory& targets = makeFileTarget);

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
// the check confirmation; a Check error) and the project name (a Missing error: the window then
// shows the title page).
Result<void> checkBeforeSave(const Project& project, const TitlePage& titlePage,
                             CheckConfirmation& confirmation);

} // namespace zant

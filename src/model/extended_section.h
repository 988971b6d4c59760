#pragma once

#include "model/message.h"
#include "model/project.h"
#include "model/title_page.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace zant {

// The extended section of the data and title-page files: what the traditional records cannot
// hold, after the last of them, where a reader of those records never looks. One record a line,
// fields separated by ';', every text as UTF-8 with '%', ';', control and non-ASCII bytes
// written %XX, so the section stays plain ASCII in any code page:
//
//   ZANT-SEZIONE-ESTESA;1                 version of the section
//   DESCRIZIONE;12;Maturazione cls %E2%89%A5 28 gg    the whole text of event 12
//   FRONTESPIZIO;0;...                    the whole text of a title-page field (0 = progetto)
//   ATTIVITA;3;2;Fornitura serramenti     the name of the activity of event 3, slot 2
//   IMPORTO;3;2;1234556                   its amount in whole cents (12.345,56 €)
//   CATEGORIA;3;2;OG1 - Edifici civili    its category of work
//   FINE;3                                end, with the number of records before it
//
// The traditional records carry the closest Windows-1252 text; a DESCRIZIONE or FRONTESPIZIO
// record is written only where it differs. Records of kinds this version does not know are
// kept as they are and written back. A file of a newer version opens, and says so.
inline constexpr int kExtendedSectionVersion = 1;

// What reading a section found besides the data it put in place.
struct ExtendedSectionInfo
{
    bool present = false;
    int version = 0;
};

// Whether a text needs a record of its own: the traditional records would not give it back.
bool needsExtendedText(const QString& text);

// The section for a project and its title page, or nothing when the traditional records hold
// everything. `substituted` tells whether some text was written in the traditional records in
// a form that differs from the text.
QByteArray serializeExtendedSection(const Project& project, const TitlePage& titlePage,
                                    bool* substituted);

// The section of a title-page file: the whole texts of its fields, when needed.
QByteArray serializeTitlePageSection(const TitlePage& titlePage, bool* substituted);

// Reads what follows the traditional records. Text that does not begin with the section's
// first record is ignored, as the program always did. A damaged section is refused with a
// message naming its line (counted from `firstLine`).
Result<ExtendedSectionInfo> readExtendedSection(QStringView text, int firstLine,
                                                const QString& fileName, Project* project,
                                                TitlePage* titlePage);

// "Alcuni caratteri non sono rappresentabili nel formato tradizionale del file: ..."
Message substitutedTextNotice();

// The warning of a file written by a newer version, opened without rewriting it.
Message newerSectionWarning(const QString& fileName, int version);

} // namespace zant

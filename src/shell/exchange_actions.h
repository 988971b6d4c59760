#pragma once

#include <QString>

class QWidget;

namespace zant {

class ModZANT;

// The data window's File ▸ Esporta and Importa, the results window's Esporta ▸ Excel, and the
// paste of activities. Each asks through the dialogs, answers through messages, and changes the
// project only as one step that can be undone.

// Checks the data, computes, asks for the file and writes it.
void exportMspdiFile(ModZANT& app, QWidget* parent);
void exportCalendarFile(ModZANT& app, QWidget* parent);
// The results of the last computation as an Excel workbook.
void exportResultsWorkbook(ModZANT& app, QWidget* parent);

// Offers to save unsaved changes, asks for the file and, when it reads, shows what the import
// makes of it and what it leaves out; on OK puts the imported project in place of the current
// one. True when the project was replaced.
bool importMspdiFile(ModZANT& app, QWidget* parent);
bool importActivityListFile(ModZANT& app, QWidget* parent);

// "Incolla attività": reads rows from `text`, shows what will be added and what is refused,
// and on Yes adds them. True when links were added.
bool pasteActivities(ModZANT& app, QWidget* parent, const QString& text);

// What the paste shows before it adds anything; `layout` says how the text was read.
QString pastePreview(int added, int newEvents, const QStringList& addedRows,
                     const QStringList& refusedRows, const QString& layout);

} // namespace zant

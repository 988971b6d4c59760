#pragma once

#include "model/constants.h"
#include "report/document_output.h"
#include "report/document_writer.h"
#include "report/print_commands.h"

namespace zant {

// One page of the guide: product name, subtitle, "Guida: " and the title, then the text, all
// justified.
void buildHelpDocument(DocumentWriter& w, const QString& title, const QString& body,
                       const SharedConstants& constants = sharedConstants());

// The example network: product name, subtitle, heading and the picture read from picturePath.
// Returns the message of a picture that could not be inserted.
Result<void> buildNetworkDocument(DocumentWriter& w, const QString& picturePath,
                                  const SharedConstants& constants = sharedConstants());

// The whole guide: the seven text pages, one per page, then the example network.
Result<void> buildGuide(DocumentWriter& w, const QString& picturePath,
                        const SharedConstants& constants = sharedConstants());

// The print commands of the guide. Each writes its document in the output folder and opens it
// for the user; the network picture is written there first as schemaZANT.jpg.
PrintResult PrintHelpWindow(const QString& title, const QString& body, DocumentOutput& output,
                            const SharedConstants& constants = sharedConstants());
PrintResult printNetworkExample(DocumentOutput& output,
                                const SharedConstants& constants = sharedConstants());
// The whole guide keeps its name, ZANT-guida.docx, replacing an older one.
PrintResult printGuide(DocumentOutput& output,
                       const SharedConstants& constants = sharedConstants());
QString guidePath(const DocumentOutput& output,
                  const SharedConstants& constants = sharedConstants());

// The whole guide written to path, its picture made in a temporary folder. Returns the message
// of a failure.
Result<void> writeGuide(const QString& path, const SharedConstants& constants = sharedConstants());

} // namespace zant

#pragma once

#include "document/project_document.h"

namespace zant::test {

// The document with a project as if it had been opened from `dataFile`.
inline void giveProject(ProjectDocument& document, Project project, TitlePage titlePage = {},
                        const QString& dataFile = {})
{
    document.loadProject({std::move(project), std::move(titlePage)}, dataFile);
}

// A title page with one field filled.
inline TitlePage titlePageWith(TitlePage::Field field, const QString& text)
{
    TitlePage page;
    page[field] = text;
    return page;
}

} // namespace zant::test

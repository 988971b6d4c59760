#include "exchange/import_check.h"

#include "model/text_format.h"

namespace zant {

Result<ProjectFileContents> asReopened(const Project& project, const TitlePage& titlePage)
{
    if (!parseDate(project.startDateText()).isValid())
        return Error(
            ErrorKind::Refused,
            critical(QStringLiteral("la data d'inizio \"%1\" non è una data dal %2 al %3.")
                         .arg(visibleText(project.startDateText()), formatDate(firstAllowedDate()),
                              formatDate(lastAllowedDate()))));
    const int n = project.eventCount();
    if (project.linkCount(n) > 0)
        return Error(
            ErrorKind::Refused,
            critical(QStringLiteral("il legame %1 → %2 parte dall'evento finale %1, da cui "
                                    "non può partire alcun legame.")
                         .arg(n)
                         .arg(project.link(n, 1).target)));
    const auto refused = [](const Error& why) {
        return Error(ErrorKind::Refused,
                     critical(QStringLiteral("il progetto che ne risulta non si potrebbe "
                                             "riaprire (%1)")
                                  .arg(why.text)));
    };
    const auto bytes = serializeProjectData(project, titlePage);
    if (!bytes)
        return refused(bytes.error());
    auto back = parseProjectData(bytes.value(), QStringLiteral("progetto importato"));
    if (!back)
        return refused(back.error());
    return std::move(back).value();
}

} // namespace zant

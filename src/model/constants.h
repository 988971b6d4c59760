#pragma once

#include <QString>

namespace zant {

// Product constants and the titles built from them; every window and document reads them here.
struct SharedConstants
{
    QString productName;
    QString productSubtitle;
    QString versionText;
    QString firstReleaseDate;
    QString messageTitle;
    QString helpTitle;
    QString deleteDialogTitle;
};

// The constants, set once, the titles built from the product's name.
const SharedConstants& sharedConstants();

} // namespace zant

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

// Sets productName, productSubtitle, versionText and firstReleaseDate.
void InitSharedConstants(SharedConstants& constants);

// InitSharedConstants, then the titles, always rebuilt from productName.
void InitMessageTitles(SharedConstants& constants);

// The constants as they stand after start-up.
const SharedConstants& sharedConstants();

} // namespace zant

#pragma once

#include "model/message.h"
#include "model/project.h"
#include "model/project_file.h"
#include "model/title_page.h"

namespace zant {

// What an import hands over, exactly as saving it and opening the data file again would give it
// back, so that every file an import writes opens again. Refused, with the reason, when the data
// file reader would not take it (a start date outside 1900-2199, more events or links than the
// limits, a duration outside 0 to 1,000,000 days, a text the file cannot hold) and when a link
// leaves the final event. Durations come back at the precision the file keeps.
Result<ProjectFileContents> asReopened(const Project& project, const TitlePage& titlePage);

} // namespace zant

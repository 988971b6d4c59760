#pragma once

#include "model/project.h"
#include "model/title_page.h"

namespace zant::bench {

// The largest network the benchmarks time: all 500 events, each event before the last with
// `linksPerEvent` links (repeats allowed) to later events, durations of 0..1000 days. The same
// variant always gives the same network, so runs on different days can be compared.
Project generateNetwork(int linksPerEvent = 200, unsigned variant = 20261207);

// A filled title page, so that saving and loading also carry its record.
TitlePage sampleTitlePage();

int totalLinks(const Project& project);

} // namespace zant::bench

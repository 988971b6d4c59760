#pragma once

#include "model/project.h"
#include "model/title_page.h"

namespace zant::bench {

// The largest network the benchmarks time: all 500 events, each event before the last with
// `linksPerEvent` links (repeats allowed) to later events, durations of 0..1000 days. The same
// variant always gives the same network, so runs on different days can be compared.
Project generateNetwork(int linksPerEvent = 200, unsigned variant = 20261207);

// A network whose links may join any two events, as an office's network does once its events
// are numbered in the order they were typed: `events` events in a random order (1 first, the
// last event last), each linked to one of the next few in that order, then links between random
// pairs until there are `links`; durations 0..maxDays, descriptions of a few words. The same
// variant always gives the same network.
Project generateAnyTwoNetwork(int events, int links, int maxDays, unsigned variant);

// A filled title page, so that saving and loading also carry its record.
TitlePage sampleTitlePage();

int totalLinks(const Project& project);

} // namespace zant::bench

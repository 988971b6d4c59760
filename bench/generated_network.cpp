#include "generated_network.h"

#include <QStringList>

#include <random>

namespace zant::bench {

Project generateNetwork(int linksPerEvent, unsigned variant)
{
    // Draws straight from the engine rather than through a std:: distribution, whose results
    // differ between standard libraries.
    std::mt19937 engine(variant);
    const auto below = [&engine](unsigned bound) { return static_cast<int>(engine() % bound); };

    Project project;
    project.setStartDateText(QStringLiteral("01/03/2027"));
    project.setEventCount(kMaxEvents);
    for (int i = 1; i <= kMaxEvents; ++i) {
        Event event;
        // Accented text, as the offices write it, so reading goes through the code page.
        event.description = QStringLiteral("Attività n. %1 - lavorazione di cantiere").arg(i);
        if (i < kMaxEvents) {
            const int later = kMaxEvents - i;
            event.links.reserve(linksPerEvent);
            for (int s = 0; s < linksPerEvent; ++s) {
                Link link;
                link.target = i + 1 + below(static_cast<unsigned>(later));
                link.days = below(1001);
                event.links.push_back(link);
            }
        }
        project.setEvent(i, std::move(event));
    }
    return project;
}

Project generateAnyTwoNetwork(int events, int links, int maxDays, unsigned variant)
{
    std::mt19937 engine(variant);
    const auto below = [&engine](int bound) {
        return static_cast<int>(engine() % static_cast<unsigned>(bound));
    };
    std::vector<int> order(events);
    for (int i = 0; i < events; ++i)
        order[i] = i + 1;
    // Fisher-Yates by hand, for the same reason as above.
    for (int i = events - 2; i > 1; --i)
        std::swap(order[i], order[1 + below(i)]);
    std::vector<Event> all(events + 1);
    static const char* const kWords[] = {"scavo",        "getto",       "armatura",  "montaggio",
                                         "impianto",     "elettrico",   "intonaco",  "massetto",
                                         "pavimento",    "serramenti",  "copertura", "collaudo",
                                         "tracciamento", "carpenteria", "fondazioni"};
    for (int e = 1; e <= events; ++e) {
        QStringList words;
        for (int w = 3 + below(6); w > 0; --w)
            words << QString::fromLatin1(kWords[below(15)]);
        words.first()[0] = words.first()[0].toUpper();
        all[e].description = words.join(QLatin1Char(' ')) + QStringLiteral(" lotto %1").arg(e);
    }
    int count = 0;
    const auto link = [&](int i, int j) {
        Link l;
        l.target = order[j];
        l.days = below(maxDays + 1);
        all[order[i]].links.push_back(l);
        ++count;
    };
    for (int i = 0; i + 1 < events; ++i)
        link(i, i + 1 + below(std::min(events - 1 - i, 8)));
    while (count < links) {
        int i = below(events);
        int j = below(events);
        if (i == j)
            continue;
        link(std::min(i, j), std::max(i, j));
    }
    Project project;
    project.setStartDateText(QStringLiteral("01/03/2027"));
    project.setEventCount(events);
    for (int e = 1; e <= events; ++e)
        project.setEvent(e, std::move(all[e]));
    return project;
}

TitlePage sampleTitlePage()
{
    TitlePage page;
    page[TitlePage::progetto] = QStringLiteral("Rete di prova con centomila legami");
    page[TitlePage::localita] = QStringLiteral("Località di prova");
    page[TitlePage::tipostudio] = QStringLiteral("Programmazione dei lavori");
    page[TitlePage::committente] = QStringLiteral("Ufficio tecnico");
    page[TitlePage::luogo] = QStringLiteral("Sede");
    page[TitlePage::data] = QStringLiteral("07/12/2026");
    page[TitlePage::allegati] = QStringLiteral("Nessuno");
    return page;
}

int totalLinks(const Project& project)
{
    int total = 0;
    for (int i = 1; i <= project.eventCount(); ++i)
        total += project.linkCount(i);
    return total;
}

} // namespace zant::bench

#include "generated_network.h"

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

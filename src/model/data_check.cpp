#include "model/data_check.h"

#include "model/text_format.h"

#include <QStringList>

#include <algorithm>

namespace zant {

namespace {

QString eventPrefix(int event)
{
    return QStringLiteral("Evento n.") + withLeadingBlank(event) + QStringLiteral(": ");
}

std::optional<Message> findMissingData(const Project& project)
{
    if (project.startDateText().isEmpty())
        return critical(QStringLiteral("Scegliere la data d'inizio degli eventi."));
    const int n = project.eventCount();
    if (n == 0)
        return exclamation(QStringLiteral("Non esistono dati riconosciuti:\n- per procedere è "
                                          "necessario digitare almeno il primo evento."));
    for (int i = 1; i < n; ++i) {
        if (project.description(i).isEmpty())
            return critical(eventPrefix(i) + QStringLiteral("digitare la descrizione."));
        if (project.linkCount(i) == 0)
            return exclamation(eventPrefix(i) +
                               QStringLiteral("scegliere gli eventi ad esso legati per la "
                                              "corrispondente attività."));
        for (int j = 1; j <= project.linkCount(i); ++j) {
            if (!project.link(i, j).days)
                return exclamation(eventPrefix(i) + QStringLiteral("i tempi medi per l'attività ") +
                                   QStringLiteral("n.") + withLeadingBlank(j) +
                                   QStringLiteral(" non sono stati dichiarati."));
        }
    }
    return std::nullopt;
}

} // namespace

std::vector<int> findCycle(const Project& project)
{
    const int n = project.eventCount();
    // Depth-first search from each event in ascending order, following slots in order; the
    // first link back into the current path closes a cycle.
    enum : char
    {
        White,
        Grey,
        Black
    };
    std::vector<char> colour(n + 1, White);
    std::vector<int> path;
    std::vector<int> nextSlot(n + 1, 1);
    auto successors = [&](int e) { return e < n ? project.linkCount(e) : 0; };

    for (int start = 1; start <= n; ++start) {
        if (colour[start] != White)
            continue;
        path.assign(1, start);
        colour[start] = Grey;
        nextSlot[start] = 1;
        while (!path.empty()) {
            const int e = path.back();
            if (nextSlot[e] > successors(e)) {
                colour[e] = Black;
                path.pop_back();
                continue;
            }
            const int t = project.link(e, nextSlot[e]++).target;
            if (t < 1 || t > n)
                continue;
            if (colour[t] == Grey) {
                std::vector<int> cycle(std::find(path.begin(), path.end(), t), path.end());
                std::rotate(cycle.begin(), std::min_element(cycle.begin(), cycle.end()),
                            cycle.end());
                cycle.push_back(cycle.front());
                return cycle;
            }
            if (colour[t] == White) {
                colour[t] = Grey;
                nextSlot[t] = 1;
                path.push_back(t);
            }
        }
    }
    return {};
}

std::optional<Message> findDataFault(const Project& project)
{
    if (auto missing = findMissingData(project))
        return missing;
    const std::vector<int> cycle = findCycle(project);
    if (cycle.empty())
        return std::nullopt;
    QStringList events;
    for (int e : cycle)
        events << QString::number(e);
    return critical(eventPrefix(cycle.front()) +
                    QStringLiteral("i legami formano un ciclo chiuso (") +
                    events.join(QStringLiteral(" → ")) + QStringLiteral(")."));
}

std::optional<Message> findDataWarnings(const Project& project)
{
    // A long list helps nobody: the first lines and how many more there are.
    constexpr int kShownWarnings = 20;
    const int n = project.eventCount();
    std::vector<char> entered(n + 1, 0);
    for (const Activity a : project.activities())
        entered[a.to] = 1;
    QStringList lines;
    int more = 0;
    const auto add = [&](QString line) {
        if (lines.size() < kShownWarnings)
            lines << std::move(line);
        else
            ++more;
    };
    for (int e = 2; e <= n; ++e) {
        if (!entered[e])
            add(eventPrefix(e) +
                QStringLiteral("nessun legame in entrata; sarà trattato come un secondo inizio."));
    }
    if (n >= 1 && project.linkCount(n) > 0)
        add(eventPrefix(n) + QStringLiteral("è l'evento finale: i suoi legami in uscita non sono "
                                            "attività e non entrano nel calcolo."));
    if (lines.isEmpty())
        return std::nullopt;
    if (more > 0)
        lines << QStringLiteral("(altri %1 avvisi non mostrati)").arg(more);
    return exclamation(lines.join(QLatin1Char('\n')));
}

Message dataConfirmation(int eventCount)
{
    return information(
        QStringLiteral("I dati sono stati immessi formalmente corretti (per numero ") +
        withLeadingBlank(eventCount) + QStringLiteral(" eventi)."));
}

QString dataEntryGuidance(const Project& project, bool startDateShown)
{
    if (!startDateShown)
        return QStringLiteral("Scegliere la data iniziale del calcolo o aprire un file "
                              "archiviato.");
    const int n = project.eventCount();
    if (n == 0)
        return QStringLiteral("Digitare l'elenco degli eventi della programmazione.");
    for (int i = 1; i < n; ++i) {
        if (project.linkCount(i) == 0)
            return QStringLiteral("Immettere i legami dell'evento n.") + withLeadingBlank(i);
        for (int j = 1; j <= project.linkCount(i); ++j) {
            if (!project.link(i, j).days)
                return QStringLiteral("Immettere i tempi del legame n.") + withLeadingBlank(j) +
                       QStringLiteral(" dell'evento n.") + withLeadingBlank(i);
        }
    }
    return QStringLiteral("Correggere, archiviare quanto immesso, digitare ulteriori dati, "
                          "andare oltre (risultati, stampa).");
}

Message CheckConfirmation::checkOnRequest(const Project& project)
{
    m_refusalPending = false;
    if (auto fault = findDataFault(project))
        return *fault;
    return dataConfirmation(project.eventCount());
}

Result<void> CheckConfirmation::requireValidData(const Project& project)
{
    m_refusalPending = true;
    if (auto fault = findDataFault(project))
        return Error(ErrorKind::Check, *fault);
    m_refusalPending = false;
    return {};
}

} // namespace zant

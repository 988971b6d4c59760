#pragma once

#include <QStringView>

namespace zant {

// How many characters from the start of `text` fit, adding each character's width once and
// never cutting a surrogate pair: `emsOf(c)` is a character's width, `fits(placed, length, ems)`
// says whether the first `length` characters, `ems` wide together, still fit when `placed` of
// them already did.
template <typename EmsOf, typename Fits>
qsizetype fittingPrefix(QStringView text, const EmsOf& emsOf, const Fits& fits)
{
    double ems = 0;
    qsizetype fit = 0;
    while (fit < text.size()) {
        const qsizetype step =
            text[fit].isHighSurrogate() && fit + 1 < text.size() && text[fit + 1].isLowSurrogate()
                ? 2
                : 1;
        double wider = ems;
        for (qsizetype i = fit; i < fit + step; ++i)
            wider += emsOf(text[i]);
        if (!fits(fit, fit + step, wider))
            break;
        ems = wider;
        fit += step;
    }
    return fit;
}

} // namespace zant

#pragma once

#include "model/message.h"

#include <QString>

namespace zant::test {

// The text of a failure, empty when the operation succeeded: what the tests compare.
inline QString messageText(const Outcome& outcome)
{
    return outcome ? outcome->text : QString();
}

} // namespace zant::test

#pragma once

#include "model/message.h"

#include <QString>

namespace zant::test {

// The text of a failure, empty when the operation succeeded: what the tests compare.
template <typename T> QString messageText(const Result<T>& result)
{
    return result.ok() ? QString() : result.error().text;
}

} // namespace zant::test

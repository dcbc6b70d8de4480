// The duplicate finder's window icon: a green clipboard with a tick.
#pragma once

#include <QIcon>

namespace vs
{

QIcon DupesWindowIcon();

} // namespace vs

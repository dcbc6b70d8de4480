// The program's icon, drawn in code: a folder with size bars in front of it.
#pragma once

#include <QIcon>

namespace vs {

QIcon AppIcon();

} // namespace vs

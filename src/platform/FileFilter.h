#pragma once
// File dialog filters are written the classic way, "Name|*.a;*.b|Other|*.c"; Qt's dialogs
// want "Name (*.a *.b);;Other (*.c)".
#include <QString>

namespace framora {

// A trailing "(...)" of a name is replaced by the real patterns; "*.*" becomes "*".
QString qtFileFilter(const QString& classicFilter);

} // namespace framora

#include "lending/lending.h"

#include "lending/jygl.h"

namespace lending {

QDialog* createJygl(QWidget* parent) {
    return new Jygl(parent);
}

} // namespace lending

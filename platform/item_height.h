#pragma once

class QAbstractItemView;
class QComboBox;

namespace platform {

// ItemHeight: every row of a list, or of a combo box's drop-down list, is this
// many pixels high, whatever its delegate would ask for; the delegate still
// paints the rows.
void setItemHeight(QAbstractItemView* view, int height);
void setItemHeight(QComboBox* combo, int height);

} // namespace platform

#pragma once
// Over a closed combo box Qt's wheel steps to the next entry and reports a pick: one notch would
// resize the whole book or jump. Only a click in the list or an arrow key picks; the wheel is
// dropped, so it neither picks nor scrolls the window. An open list is a window of its own and
// keeps its wheel.

class QComboBox;

namespace velmora {

// Drops the wheel over box, for as long as box lives.
void dropWheel(QComboBox& box);

} // namespace velmora

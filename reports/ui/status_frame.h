#pragma once
// The frame both report windows show while they mail: a read-only box that the send's
// status lines go into, hidden until the first send.

#include <QBoxLayout>
#include <QGroupBox>
#include <QPlainTextEdit>

namespace pw {

struct StatusFrame {
    QGroupBox* frame = nullptr;
    QPlainTextEdit* box = nullptr;
};

// Adds the hidden frame to `layout`, its box tall enough for `lines` lines without
// scrolling.
StatusFrame addStatusFrame(QWidget* owner, QBoxLayout* layout, int lines);

} // namespace pw

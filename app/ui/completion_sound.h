#pragma once
// The short sound at the end of a scan, a session load or a session save: "end.wav" from
// the program's data folder, played once without waiting for it. No file or no sound
// device means no sound and no message.

#include <QObject>
#include <string>

class QSoundEffect;

namespace pw {

class CompletionSound : public QObject {
    Q_OBJECT

public:
    explicit CompletionSound(QObject* parent = nullptr);

    // Starts playing `wavPath`; returns whether it was started.
    bool play(const std::string& wavPath);

private:
    QSoundEffect* m_effect = nullptr;
};

} // namespace pw

#include "app/ui/completion_sound.h"

#include "app/sound_server.h"
#include "common/ui/ui_text.h"

#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>

namespace pw {

CompletionSound::CompletionSound(QObject* parent) : QObject(parent) {}

bool CompletionSound::play(const std::string& wavPath) {
    if (wavPath.empty() || !QFileInfo(QFile::decodeName(wavPath.c_str())).isFile()) {
        return false;
    }
    // Qt Multimedia asked for its devices with no sound server running prints warnings on
    // the error output; without a server there is no device to play on anyway.
    if (!soundServerReachable(defaultSoundServerPlaces())) {
        return false;
    }
    // Without an output device the effect would wait for one that never comes.
    if (QMediaDevices::defaultAudioOutput().isNull()) {
        return false;
    }
    if (!m_effect) {
        m_effect = new QSoundEffect(this);
    }
    // The sound plays on its own; the window goes on at once.
    m_effect->setSource(fileUrl(wavPath));
    m_effect->play();
    return true;
}

} // namespace pw

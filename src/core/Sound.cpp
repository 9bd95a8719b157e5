#include "core/Sound.h"

#include <QFileInfo>

namespace trevisk {

void playWave(SoundPlayer& player, const QString& path, int flag)
{
    if (path.size() == 1 && path.at(0) == QChar(0)) {
        player.stop();
        return;
    }
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    player.play(path, flag != 0);
}

} // namespace trevisk

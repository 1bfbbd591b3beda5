#include "app/playback/playback_rules.h"

namespace playback {

int jumpStep(int totalFrames) {
    return totalFrames / 8;
}

int jumpBackFrame(int frame, int totalFrames) {
    const int step = jumpStep(totalFrames);
    return frame - step >= 0 ? frame - step : 1;
}

int jumpForwardFrame(int frame, int totalFrames) {
    const int step = jumpStep(totalFrames);
    return frame + step > totalFrames ? totalFrames : frame + step;
}

QString counterText(int frame, int totalFrames) {
    if (frame == -1) return QStringLiteral("0");
    return QString::number(frame) + QLatin1Char('/') + QString::number(totalFrames);
}

bool endsWithSwfLetters(const QString& path) {
    return path.endsWith(QLatin1String("swf"));
}

QString cellMoviePath(const QString& folder, const QString& name) {
    return folder + QLatin1Char('/') + name;
}

} // namespace playback

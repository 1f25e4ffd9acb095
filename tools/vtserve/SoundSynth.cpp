#include "SoundSynth.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <cmath>

namespace SoundSynth {

namespace {

void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

} // namespace

QByteArray Wave(const QList<Note> &notes, int sampleRate)
{
    QByteArray samples;
    double phase = 0;
    for (const Note &note : notes) {
        const int count = sampleRate * note.ms / 1000;
        for (int i = 0; i < count; ++i) {
            // A short attack and a longer release around each note.
            const double t = double(i) / count;
            const double envelope = std::min(1.0, t * 20) * std::min(1.0, (1 - t) * 4);
            double value = 0;
            if (note.frequency > 0) {
                phase += 2 * M_PI * note.frequency / sampleRate;
                value = (std::sin(phase) + 0.3 * std::sin(2 * phase)) / 1.3;
            }
            put16(samples, quint16(qint16(value * envelope * 12000)));
        }
    }
    QByteArray wave = "RIFF";
    put32(wave, quint32(36 + samples.size()));
    wave += "WAVEfmt ";
    put32(wave, 16);
    put16(wave, 1);                       // PCM
    put16(wave, 1);                       // mono
    put32(wave, quint32(sampleRate));
    put32(wave, quint32(sampleRate * 2)); // bytes per second
    put16(wave, 2);                       // block align
    put16(wave, 16);                      // bits per sample
    wave += "data";
    put32(wave, quint32(samples.size()));
    wave += samples;
    return wave;
}

QList<Sound> Standard()
{
    return {
        {QStringLiteral("Laugh3.wav"),
         Wave({{620, 90}, {0, 40}, {560, 90}, {0, 40}, {500, 90}, {0, 40}, {440, 160}})},
        {QStringLiteral("Taunt001.wav"), Wave({{392, 120}, {523, 120}, {659, 240}})},
        {QStringLiteral("Taunt002.wav"), Wave({{659, 150}, {523, 150}, {392, 300}})},
        {QStringLiteral("Taunt003.wav"), Wave({{880, 80}, {0, 60}, {880, 80}, {0, 60}, {1175, 200}})},
        {QStringLiteral("Ding.wav"), Wave({{1318, 350}})},
        {QStringLiteral("Poll.wav"), Wave({{523, 100}, {784, 180}})},
    };
}

int WriteMissing(const QString &folder)
{
    if (!QDir().mkpath(folder))
        return -1;
    int written = 0;
    const QDir dir(folder);
    for (const Sound &sound : Standard()) {
        const QString path = dir.filePath(sound.fileName);
        if (QFile::exists(path))
            continue;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(sound.wave) != sound.wave.size())
            return -1;
        ++written;
    }
    return written;
}

} // namespace SoundSynth

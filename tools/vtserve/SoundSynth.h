#pragma once

// The service's own sounds, synthesised: a few short wave files that the
// web side serves, so that the chat's sound names have something to fetch.

#include <QByteArray>
#include <QList>
#include <QString>

namespace SoundSynth {

struct Sound {
    QString fileName;
    QByteArray wave;    // a complete RIFF/WAVE file, 16-bit mono PCM
};

QList<Sound> Standard();

// A tone sequence: each note is a frequency in Hz (0 for a rest) and a length
// in milliseconds; the notes glide and fade so they do not click.
struct Note {
    double frequency;
    int ms;
};
QByteArray Wave(const QList<Note> &notes, int sampleRate = 22050);

// Writes the standard sounds that are missing into `folder`; returns how
// many were written, -1 when the folder cannot be written.
int WriteMissing(const QString &folder);

} // namespace SoundSynth

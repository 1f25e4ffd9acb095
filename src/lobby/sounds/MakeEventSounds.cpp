// Writes the lobby's event sounds: short synthesised tones, one wave file per
// event, into the folder named on the command line (the programs' folder).
// Everything is computed here; no sound is taken from anywhere else.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int Rate = 22050;
constexpr double Pi = 3.14159265358979323846;

enum class Wave { Sine, Square };

struct Note
{
    double hz;       // 0 is a rest
    double seconds;
    double volume;   // 0..1
    Wave wave = Wave::Sine;
};

void appendNote(std::vector<int16_t> &samples, const Note &note)
{
    const int count = int(note.seconds * Rate);
    const int attack = std::min(count / 4, Rate / 200);    // 5 ms
    const int release = std::min(count / 2, Rate / 40);    // 25 ms
    for (int i = 0; i < count; ++i) {
        double value = 0;
        if (note.hz > 0) {
            const double phase = 2 * Pi * note.hz * i / Rate;
            value = note.wave == Wave::Sine ? std::sin(phase) + 0.25 * std::sin(2 * phase)
                                            : (std::sin(phase) >= 0 ? 0.6 : -0.6);
        }
        double envelope = 1.0;
        if (i < attack)
            envelope = double(i) / attack;
        else if (i > count - release)
            envelope = double(count - i) / release;
        samples.push_back(int16_t(std::lround(value * envelope * note.volume * 26000)));
    }
}

void put32(std::FILE *f, uint32_t v)
{
    const unsigned char b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    std::fwrite(b, 1, 4, f);
}

void put16(std::FILE *f, uint16_t v)
{
    const unsigned char b[2] = {uint8_t(v), uint8_t(v >> 8)};
    std::fwrite(b, 1, 2, f);
}

bool writeWave(const std::string &path, const std::vector<Note> &notes)
{
    std::vector<int16_t> samples;
    for (const Note &note : notes)
        appendNote(samples, note);
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    put32(f, 36 + dataBytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    put32(f, 16);
    put16(f, 1);          // PCM
    put16(f, 1);          // mono
    put32(f, Rate);
    put32(f, Rate * 2);   // bytes per second
    put16(f, 2);          // bytes per frame
    put16(f, 16);         // bits per sample
    std::fwrite("data", 1, 4, f);
    put32(f, dataBytes);
    for (int16_t s : samples)
        put16(f, uint16_t(s));
    return std::fclose(f) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    struct Sound
    {
        const char *file;
        std::vector<Note> notes;
    };
    const std::vector<Sound> sounds = {
        {"VTOpen.wav", {{523.25, 0.11, 0.8}, {659.25, 0.11, 0.8}, {783.99, 0.22, 0.8}}},
        {"VTClose.wav", {{783.99, 0.11, 0.8}, {659.25, 0.11, 0.8}, {523.25, 0.24, 0.8}}},
        {"Arrival.wav", {{880.0, 0.08, 0.7}, {0, 0.03, 0}, {1174.66, 0.14, 0.7}}},
        {"Leave.wav", {{659.25, 0.10, 0.7}, {0, 0.03, 0}, {440.0, 0.16, 0.7}}},
        {"ChatClick.wav", {{2000.0, 0.025, 0.5}}},
        {"Problem.wav", {{220.0, 0.16, 0.6, Wave::Square}, {0, 0.05, 0},
                         {196.0, 0.24, 0.6, Wave::Square}}},
        {"Here.wav", {{783.99, 0.09, 0.7}, {1046.5, 0.16, 0.7}}},
        {"Away.wav", {{1046.5, 0.09, 0.6}, {783.99, 0.16, 0.6}}},
        {"Poll.wav", {{1318.5, 0.06, 0.6}, {0, 0.05, 0}, {1318.5, 0.06, 0.6}, {0, 0.05, 0},
                      {1318.5, 0.06, 0.6}}},
    };
    for (const Sound &sound : sounds) {
        if (!writeWave(folder + sound.file, sound.notes)) {
            std::fprintf(stderr, "cannot write %s%s\n", folder.c_str(), sound.file);
            return 1;
        }
    }
    return 0;
}

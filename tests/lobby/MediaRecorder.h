#pragma once

// A TransferHost that records what the media logic asks of the window.

#include <QStringList>

#include "MediaTransfers.h"

class RecordingMediaHost : public TransferHost
{
public:
    bool sound = true;
    bool external = false;
    bool autoPlay = false;
    bool ftp = false;
    bool externalOpens = true;
    QString host = QStringLiteral("127.0.0.1");
    int ftpPortNumber = 21;
    int httpPortNumber = 80;

    QList<QByteArray> chat;
    QStringList banner;
    QStringList waves;
    QStringList videos;
    QStringList externals;
    QStringList messages;
    QStringList events;        // "playing:<name>", "idle", "running", "meter on", "meter off", ...
    QStringList status;

    bool soundOn() const override { return sound; }
    bool externalPlayer() const override { return external; }
    bool autoPlayDL() const override { return autoPlay; }
    bool enableFTP() const override { return ftp; }
    void sendChatText(const QByteArray &text) override { chat << text; }
    void showBanner(const QStringList &lines) override { banner = lines; }
    void showPlaying(const QString &name) override { events << QStringLiteral("playing:") + name; }
    void resetProgress() override { events << QStringLiteral("reset"); }
    void showIdle() override { events << QStringLiteral("idle"); }
    void showPlayerRunning() override { events << QStringLiteral("running"); }
    void openVideo(const QString &path) override { videos << path; }
    bool openExternal(const QString &path) override { externals << path; return externalOpens; }
    void playWave(const QString &path) override { waves << path; }
    void message(const QString &text) override { messages << text; }
    void startMeter() override { events << QStringLiteral("meter on"); }
    void stopMeter() override { events << QStringLiteral("meter off"); }

    QString transferHost() const override { return host; }
    int ftpPort() const override { return ftpPortNumber; }
    int httpPort() const override { return httpPortNumber; }
    void setStatus(const QString &text) override { status << text; }
    void sendLamps() override { events << QStringLiteral("send lamps"); }
    void receiveLamps() override { events << QStringLiteral("receive lamps"); }
    void blinkLamp(int) override {}
    void pressEnableFTP() override { ftp = true; }
    void refillLocalFiles() override { events << QStringLiteral("refill"); }
    void reloadPlayList() override { events << QStringLiteral("reload"); }
    void savePlayList() override { events << QStringLiteral("save"); }
    void transferViewChanged() override { ++viewChanges; }
    void notice(const QString &text) override { notices << text; }
    QStringList notices;
    int viewChanges = 0;
};

// Takes the place of the browser for the given URL schemes: whatever the desktop is asked
// to open is recorded, as the bytes the browser would have been given.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <vector>

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    explicit UrlRecorder(QStringList schemes = {"http", "https"});
    ~UrlRecorder() override;

    std::vector<QByteArray> Opened;

public slots:
    void Record(const QUrl& url);

private:
    QStringList FSchemes;
};

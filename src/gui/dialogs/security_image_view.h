// The picture area of the security image dialog (its EmbeddedWB1): shows the picture at
// an address, fetched in the background by Qt Network with its own cookies and agent,
// never by the program's HTTP client. Only http and https addresses are loaded.
#pragma once

#include <QLabel>
#include <QList>
#include <QSslCertificate>
#include <QUrl>

#include <cstdint>
#include <stdexcept>
#include <string>

class QNetworkAccessManager;
class QNetworkReply;

// An address the picture area will not load (any scheme but http and https).
class ENavigationRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class SecurityImageView : public QLabel {
public:
    explicit SecurityImageView(QWidget* parent);
    ~SecurityImageView() override;

    // Starts loading the picture and returns at once; the picture shows when it has
    // arrived, and a load that fails leaves the area empty. An empty address clears the
    // area and loads nothing. Throws ENavigationRefused for any other scheme than http
    // and https, leaving the area empty. Each byte beyond ASCII is asked for as it is.
    void Navigate(const std::string& address);
    // Loads the current address again; nothing happens without one. Never throws.
    void Refresh();
    // Trusts the authorities of a PEM file besides the system's, as the program's own
    // client does with the settings' CAFile: a service whose certificate comes from them
    // shows its picture over https too. A file the client could not use (missing,
    // unreadable, without a certificate) makes Navigate refuse https addresses with the
    // client's own message. An empty name trusts the system's authorities alone.
    void TrustAuthorities(const std::string& pemFile);

    bool HasPicture() const;
    // Loads still running (0 or 1), for tests that wait for a picture to settle.
    bool Loading() const { return FReply != nullptr; }

    // A picture body larger than this is not a security image; the load is abandoned.
    static constexpr int64_t MaximumPictureBytes = 4 * 1024 * 1024;
    // Decoding a small file into a huge picture is refused above this many megabytes.
    static constexpr int MaximumDecodedMegabytes = 32;

private:
    void Load();
    void Finished(QNetworkReply* reply);
    void Clear();

    QNetworkAccessManager* FNetwork;
    QNetworkReply* FReply = nullptr;
    QUrl FAddress;
    QList<QSslCertificate> FAuthorities;
    // Why the CA file cannot be used, in the client's words; empty when it can.
    std::string FAuthorityProblem;
};

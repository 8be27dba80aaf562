#include "tls_service.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace {

std::string DefaultCAFile()
{
    return (std::filesystem::temp_directory_path() / ("service-sim-" + std::to_string(getpid()) + "-ca.pem")).string();
}

} // namespace

TlsService::TlsService(const Options& options)
    : FAuthority("service-sim local CA")
    , FCAFile(options.CAFile.empty() ? DefaultCAFile() : options.CAFile)
    , FFront(options.TlsPort, FAuthority.Issue({"127.0.0.1", "localhost"}))
{
    FAuthority.WriteCertificate(FCAFile);
}

TlsService::~TlsService()
{
    std::remove(FCAFile.c_str());
}

void TlsService::Announce(std::ostream& out) const
{
    out << "listening for https on 127.0.0.1:" << FFront.Port() << "\n"
        << "CA certificate in " << FCAFile << std::endl;
}

// The --log file: every request head, byte for byte as it arrived, appended in order.
#pragma once

#include <string>
#include <string_view>

class RequestLog {
public:
    // Opens (creating it if needed) the file for appending; throws std::runtime_error.
    explicit RequestLog(const std::string& fileName);
    ~RequestLog();
    RequestLog(const RequestLog&) = delete;
    RequestLog& operator=(const RequestLog&) = delete;

    void Append(std::string_view head);

private:
    int FHandle = -1;
};

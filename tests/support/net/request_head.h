// The request head the program's client sends for a GET with its default settings.
#pragma once

#include <string>
#include <string_view>

// hostValue is the Host header's value, e.g. 127.0.0.1:40123; extraHeaders are whole
// lines (each ending in CR LF) placed after the client's own.
inline std::string ProgramRequestHead(std::string_view target, std::string_view hostValue,
                                      std::string_view extraHeaders = "")
{
    std::string head = "GET " + std::string(target) + " HTTP/1.1\r\n";
    head += "Content-Type: text/html\r\n";
    head += "Host: " + std::string(hostValue) + "\r\n";
    head += "Accept: text/html, */*\r\n";
    head += "User-Agent: Mozilla/3.0 (compatible; Talvira)\r\n";
    head += extraHeaders;
    head += "\r\n";
    return head;
}

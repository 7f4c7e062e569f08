#include "update/HttpUrl.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace qx::update {

namespace {

bool StartsWithIgnoringCase(const std::string& text, const char* prefix) {
    std::size_t n = std::strlen(prefix);
    if (text.size() < n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    unsigned yoe = static_cast<unsigned>(y - era * 400);
    unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

int MonthNumber(const char* name) {
    static const std::array<const char*, 12> months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int i = 0; i < 12; ++i)
        if (std::strncmp(name, months[static_cast<std::size_t>(i)], 3) == 0)
            return i + 1;
    return 0;
}

} // namespace

std::optional<HttpUrl> ParseHttpUrl(const std::string& url) {
    HttpUrl result;
    std::size_t rest;
    if (StartsWithIgnoringCase(url, "http://")) {
        rest = 7;
    } else if (StartsWithIgnoringCase(url, "https://")) {
        result.https = true;
        result.port = 443;
        rest = 8;
    } else {
        return std::nullopt;
    }
    std::size_t slash = url.find_first_of("/?", rest);
    std::string authority = url.substr(rest, slash == std::string::npos ? std::string::npos : slash - rest);
    if (slash != std::string::npos)
        result.path = (url[slash] == '?' ? "/" : "") + url.substr(slash);
    if (std::size_t at = authority.rfind('@'); at != std::string::npos)
        authority.erase(0, at + 1);
    std::size_t colon = authority.rfind(':');
    if (colon != std::string::npos) {
        std::string port = authority.substr(colon + 1);
        if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        result.port = std::stoi(port);
        if (result.port < 1 || result.port > 65535)
            return std::nullopt;
        authority.erase(colon);
    }
    if (authority.empty() || authority.find_first_of(" \t\r\n") != std::string::npos)
        return std::nullopt;
    result.host = authority;
    for (char c : result.path)
        if (static_cast<unsigned char>(c) < 33)
            return std::nullopt;
    return result;
}

std::optional<std::int64_t> ParseHttpDate(const std::string& text) {
    char weekday[16] = {}, month[4] = {}, zone[4] = {};
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    bool parsed =
        std::sscanf(text.c_str(), "%15[A-Za-z], %d %3s %d %d:%d:%d %3s", weekday, &day, month, &year, &hour, &minute,
                    &second, zone) == 8 ||
        std::sscanf(text.c_str(), "%15[A-Za-z], %d-%3s-%d %d:%d:%d %3s", weekday, &day, month, &year, &hour, &minute,
                    &second, zone) == 8 ||
        std::sscanf(text.c_str(), "%15s %3s %d %d:%d:%d %d", weekday, month, &day, &hour, &minute, &second, &year) == 7;
    if (!parsed)
        return std::nullopt;
    if (year < 100)
        year += year < 70 ? 2000 : 1900;
    int m = MonthNumber(month);
    if (m == 0 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60 || hour < 0 || minute < 0 ||
        second < 0)
        return std::nullopt;
    return DaysFromCivil(year, static_cast<unsigned>(m), static_cast<unsigned>(day)) * 86400 + hour * 3600 +
           minute * 60 + second;
}

} // namespace qx::update

#include "history/ledger_location.h"

#include <filesystem>

namespace sorvane::history {

namespace {

constexpr std::string_view kSchemes[] = {"postgresql://", "postgres://"};

// A server URI cut into the text before the user's password, the password's end and the rest.
struct UriParts {
    std::string_view scheme;     // "postgresql://"
    std::string_view authority;  // user:password@host:port, up to the first '/' or '?'
    std::string_view rest;       // /dbname?params
};

UriParts partsOf(std::string_view uri) {
    UriParts parts;
    for (std::string_view scheme : kSchemes) {
        if (uri.substr(0, scheme.size()) == scheme) parts.scheme = scheme;
    }
    std::string_view after = uri.substr(parts.scheme.size());
    size_t end = after.find_first_of("/?");
    parts.authority = after.substr(0, end);
    parts.rest = end == std::string_view::npos ? std::string_view{} : after.substr(end);
    return parts;
}

// The authority without a password: "user:secret@host" becomes "user@host".
std::string withoutPassword(std::string_view authority) {
    size_t at = authority.rfind('@');
    if (at == std::string_view::npos) return std::string(authority);
    std::string_view user = authority.substr(0, at);
    user = user.substr(0, user.find(':'));
    return std::string(user) + std::string(authority.substr(at));
}

// The query without any `password=` parameter.
std::string queryWithoutPassword(std::string_view query) {
    std::string kept;
    while (!query.empty()) {
        size_t amp = query.find('&');
        std::string_view param = query.substr(0, amp);
        if (param.substr(0, 9) != "password=" && !param.empty()) {
            kept += kept.empty() ? "" : "&";
            kept += param;
        }
        query = amp == std::string_view::npos ? std::string_view{} : query.substr(amp + 1);
    }
    return kept;
}

// The value of a `name=` parameter of the query, empty when it has none.
std::string_view parameter(std::string_view query, std::string_view name) {
    while (!query.empty()) {
        size_t amp = query.find('&');
        std::string_view param = query.substr(0, amp);
        if (param.size() > name.size() && param.substr(0, name.size()) == name &&
            param[name.size()] == '=') {
            return param.substr(name.size() + 1);
        }
        query = amp == std::string_view::npos ? std::string_view{} : query.substr(amp + 1);
    }
    return {};
}

}  // namespace

bool isServerLedger(std::string_view location) {
    for (std::string_view scheme : kSchemes) {
        if (location.substr(0, scheme.size()) == scheme) return true;
    }
    return false;
}

std::string shownLocation(std::string_view location) {
    if (!isServerLedger(location)) return std::string(location);
    UriParts parts = partsOf(location);
    std::string shown = std::string(parts.scheme) + withoutPassword(parts.authority);
    size_t question = parts.rest.find('?');
    shown += parts.rest.substr(0, question);
    if (question != std::string_view::npos) {
        std::string query = queryWithoutPassword(parts.rest.substr(question + 1));
        if (!query.empty()) shown += "?" + query;
    }
    return shown;
}

std::string ledgerCaption(std::string_view location) {
    if (!isServerLedger(location)) {
        return std::filesystem::path(std::string(location)).filename().string();
    }
    UriParts parts = partsOf(location);
    std::string_view host = parts.authority.substr(parts.authority.rfind('@') + 1);
    if (host.size() > 0 && host.front() != '[')
        host = host.substr(0, host.find(':'));
    else
        host = host.substr(0, host.find(']') + (host.empty() ? 0 : 1));
    size_t question = parts.rest.find('?');
    std::string_view db = parts.rest.substr(0, question);
    if (!db.empty()) db.remove_prefix(1);
    // A socket folder or a database may be named as parameters instead.
    std::string_view query =
        question == std::string_view::npos ? std::string_view{} : parts.rest.substr(question + 1);
    if (host.empty()) host = parameter(query, "host");
    if (db.empty()) db = parameter(query, "dbname");
    return std::string(host) + "/" + std::string(db);
}

}  // namespace sorvane::history

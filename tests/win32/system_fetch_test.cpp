// The fetch through the system's HTTP client against the local servers of tests/e2e/tls_servers.py
// (their ports in KV_*_PORT): HTTPS with a test authority added to this prefix's trusted roots,
// refused certificates, redirects and hostile servers.
#include <gtest/gtest.h>
#include <windows.h>
#include <wincrypt.h>
#include <winhttp.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "local_fetch.h"

namespace {

const char kFirst[] = "暗号の向こうの見出し";  // Shift-JIS, as the fetch keeps it

std::string Port(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string Url(const char* scheme, const char* port, const char* path) {
    return std::string(scheme) + "://localhost:" + Port(port) + path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The test authority in the current user's trusted roots for the whole program. The system's
// chain engine reads the roots once per process, before the first fetch can add anything, so a
// second run of this program adds it and the fetches here then find it.
class TestAuthority : public testing::Environment {
  public:
    void SetUp() override {
        const char* path = std::getenv("KV_TLS_CA");
        const std::string der = ReadFile(path ? path : "");
        ASSERT_FALSE(der.empty()) << "run under tests/e2e/tls_servers.py";
        store =
            CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
        ASSERT_NE(store, nullptr);
        if (std::getenv("KV_TRUST_ONLY")) {
            const BOOL ok = CertAddEncodedCertificateToStore(
                store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
            CertCloseStore(store, 0);
            ExitProcess(ok ? 0 : 1);
        }
        ASSERT_EQ(RunAgainToTrust(), 0u);
        added = CertCreateCertificateContext(X509_ASN_ENCODING,
                                             reinterpret_cast<const BYTE*>(der.data()), der.size());
    }
    void TearDown() override {
        if (added) {
            PCCERT_CONTEXT found = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0,
                                                              CERT_FIND_EXISTING, added, nullptr);
            if (found) CertDeleteCertificateFromStore(found);
            CertFreeCertificateContext(added);
        }
        if (store) CertCloseStore(store, 0);
    }

  private:
    static DWORD RunAgainToTrust() {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        SetEnvironmentVariableA("KV_TRUST_ONLY", "1");
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        std::wstring command = L"\"" + std::wstring(self) + L"\"";
        DWORD code = 99;
        if (CreateProcessW(self, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                           &pi)) {
            WaitForSingleObject(pi.hProcess, 60000);
            GetExitCodeProcess(pi.hProcess, &code);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
        SetEnvironmentVariableA("KV_TRUST_ONLY", nullptr);
        return code;
    }
    HCERTSTORE store = nullptr;
    PCCERT_CONTEXT added = nullptr;
};

[[maybe_unused]] const testing::Environment* const authority =
    testing::AddGlobalTestEnvironment(new TestAuthority);

NewsSource Source(const std::string& file, const std::string& host = "") {
    NewsSource s = {};
    std::strcpy(s.html, host.c_str());
    std::strcpy(s.file, file.c_str());
    std::strcpy(s.ignore, "<!-- S -->");
    std::strcpy(s.tag, "/n?a=");
    std::strcpy(s.reject, "]]");
    return s;
}

// Cases run side by side, so the slow ones cost their time once.
void RunAll(std::vector<Fetch>& fetches) {
    for (Fetch& f : fetches) f.Start();
    for (Fetch& f : fetches) f.Wait();
}

TEST(SystemFetch, GoodPagesAreReadOverHttpAndHttpsAndThroughFiveRedirects) {
    std::vector<Fetch> fetches = {
        {"https", Source(Url("https", "KV_HTTPS_PORT", "/page"))},
        {"http, empty host field", Source(Url("http", "KV_HTTP_PORT", "/page"))},
        {"five redirects", Source(Url("https", "KV_HTTPS_PORT", "/r/5"))},
    };
    RunAll(fetches);
    for (Fetch& f : fetches) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(f.result, 0);
        ASSERT_EQ(f.count, 3);
        EXPECT_STREQ(f.slots[0], kFirst);
    }
}

TEST(SystemFetch, FailuresGiveTheirResultCodes) {
    struct Expect {
        const char* name;
        std::string file;
        int result;
    };
    const Expect expected[] = {
        {"six redirects", Url("https", "KV_HTTPS_PORT", "/r/6"), 6},
        {"404", Url("https", "KV_HTTPS_PORT", "/missing"), 6},
        {"unknown authority", Url("https", "KV_UNKNOWN_PORT", "/page"), 4},
        {"expired certificate", Url("https", "KV_EXPIRED_PORT", "/page"), 4},
        {"certificate for another host", Url("https", "KV_WRONGHOST_PORT", "/page"), 4},
        {"TLS handshake that stalls", Url("https", "KV_STALL_PORT", "/page"), 7},
        {"a byte every 4 s", Url("https", "KV_HTTPS_PORT", "/trickle"), 6},
        {"refused port", Url("https", "KV_REFUSED_PORT", "/page"), 4},
        {"name that does not resolve", "https://256.1.1.1/page", 3},
    };
    std::vector<Fetch> fetches;
    for (const Expect& e : expected) fetches.push_back({e.name, Source(e.file)});
    RunAll(fetches);
    for (size_t i = 0; i < fetches.size(); ++i) {
        SCOPED_TRACE(fetches[i].name);
        EXPECT_EQ(fetches[i].result, expected[i].result);
        EXPECT_EQ(fetches[i].count, 0);
    }
}

// The proxy of the user's settings, as the system keeps it for the current user.
class UserProxy {
  public:
    explicit UserProxy(const std::string& server) {
        RegCreateKeyExA(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &settings, nullptr);
        const DWORD enable = 1;
        RegSetValueExA(settings, "ProxyEnable", 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&enable), sizeof enable);
        RegSetValueExA(settings, "ProxyServer", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(server.c_str()),
                       static_cast<DWORD>(server.size() + 1));
        // The connection's own record: a header (its mark, a counter, "a named proxy"), then
        // the proxy, the bypass list and the script address, each a length and its text.
        std::string blob;
        auto dword = [&blob](DWORD v) { blob.append(reinterpret_cast<const char*>(&v), 4); };
        dword(0x46);
        dword(1);
        dword(2);
        dword(static_cast<DWORD>(server.size()));
        blob += server;
        dword(0);  // no bypass list
        dword(0);  // no script
        blob.append(32, '\0');
        RegCreateKeyExA(settings, "Connections", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &connections, nullptr);
        RegSetValueExA(connections, "DefaultConnectionSettings", 0, REG_BINARY,
                       reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size()));
    }
    ~UserProxy() {
        RegDeleteValueA(connections, "DefaultConnectionSettings");
        RegDeleteValueA(settings, "ProxyServer");
        RegDeleteValueA(settings, "ProxyEnable");
        RegCloseKey(connections);
        RegCloseKey(settings);
    }

  private:
    static constexpr const char* kSettings =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    HKEY settings = nullptr, connections = nullptr;
};

TEST(SystemFetch, TheUserProxyCarriesTheHttpsFetch) {
    std::vector<Fetch> fetches = {
        {"through the proxy", Source(Url("https", "KV_HTTPS_PORT", "/page"))}};
    {
        UserProxy proxy("127.0.0.1:" + Port("KV_PROXY_PORT"));
        WINHTTP_CURRENT_USER_IE_PROXY_CONFIG seen = {};
        ASSERT_TRUE(WinHttpGetIEProxyConfigForCurrentUser(&seen));
        ASSERT_NE(seen.lpszProxy, nullptr);
        EXPECT_EQ(std::wstring(seen.lpszProxy),
                  L"127.0.0.1:" + std::to_wstring(std::atoi(Port("KV_PROXY_PORT").c_str())));
        RunAll(fetches);
    }
    EXPECT_EQ(fetches[0].result, 0);
    EXPECT_EQ(fetches[0].count, 3);
    const std::string log = ReadFile(std::string(std::getenv("KV_TLS_DIR")) + "\\proxy.log");
    EXPECT_EQ(log, "CONNECT localhost:" + Port("KV_HTTPS_PORT") + " HTTP/1.1\n");
}

}  // namespace

// The fetch through the system's HTTP client against the servers of tests/e2e/tls_servers.py,
// with its test authority trusted for this run.
#include <gtest/gtest.h>
#include <windows.h>
#include <process.h>
#include <wincrypt.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
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
    return {std::istreambuf_iterator<char>(in), {}};
}

// Adds the test authority to the current user's trusted roots, or takes it out again.
bool Trust(bool add) {
    const char* path = std::getenv("KV_TLS_CA");
    const std::string der = ReadFile(path ? path : "");
    HCERTSTORE store =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
    PCCERT_CONTEXT ca = CertCreateCertificateContext(
        X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), der.size());
    PCCERT_CONTEXT found = ca ? CertFindCertificateInStore(store, X509_ASN_ENCODING, 0,
                                                           CERT_FIND_EXISTING, ca, nullptr)
                              : nullptr;
    const BOOL ok =
        add ? CertAddCertificateContextToStore(store, ca, CERT_STORE_ADD_REPLACE_EXISTING, nullptr)
            : found && CertDeleteCertificateFromStore(found);
    if (ca) CertFreeCertificateContext(ca);
    CertCloseStore(store, 0);
    return ok;
}

// The system's chain engine reads the trusted roots once per process, before a fetch could add
// the test authority, so a second run of this program adds it (KV_TRUST).
class TestAuthority : public testing::Environment {
  public:
    void SetUp() override {
        if (std::getenv("KV_TRUST")) ExitProcess(Trust(true) ? 0 : 1);
        ASSERT_EQ(RunAgainToTrust(), 0) << "run under tests/e2e/tls_servers.py";
    }
    void TearDown() override { EXPECT_TRUE(Trust(false)); }

  private:
    static intptr_t RunAgainToTrust() {
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        _putenv("KV_TRUST=1");
        const intptr_t code = _spawnl(_P_WAIT, self, self, nullptr);
        _putenv("KV_TRUST=");
        return code;
    }
};

[[maybe_unused]] const testing::Environment* const authority =
    testing::AddGlobalTestEnvironment(new TestAuthority);

NewsSource Source(const std::string& file) {
    NewsSource s = {};
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
        {"http", Source(Url("http", "KV_HTTP_PORT", "/page"))},
        {"http in chunks", Source(Url("http", "KV_HTTP_PORT", "/chunked"))},
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
        {"certificate for another host", "https://127.0.0.1:" + Port("KV_HTTPS_PORT") + "/page", 4},
        {"TLS handshake that stalls", Url("https", "KV_STALL_PORT", "/page"), 7},
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

TEST(SystemFetch, AFeedWithADocumentTypeIsRefusedAndItsExternalEntityNeverFetched) {
    Fetch fetch = {"document type", Source(Url("http", "KV_HTTP_PORT", "/dtd"))};
    fetch.Start();
    fetch.Wait();
    EXPECT_EQ(fetch.result, 6);
    EXPECT_EQ(fetch.count, 0);
    EXPECT_EQ(ReadFile(std::string(std::getenv("KV_TLS_DIR")) + "\\external.log"), "");
}

const char kConnections[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";

// Names a proxy in the current user's Internet settings: a record of a header (its mark, a
// counter, "a named proxy"), then the proxy, the bypass list and the script address, each a
// length and its text.
void SetUserProxy(const std::string& server) {
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
    RegSetKeyValueA(HKEY_CURRENT_USER, kConnections, "DefaultConnectionSettings", REG_BINARY,
                    blob.data(), static_cast<DWORD>(blob.size()));
}

TEST(SystemFetch, TheUserProxyCarriesTheHttpsFetch) {
    Fetch fetch = {"through the proxy", Source(Url("https", "KV_HTTPS_PORT", "/page"))};
    SetUserProxy("127.0.0.1:" + Port("KV_PROXY_PORT"));
    fetch.Start();
    fetch.Wait();
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kConnections, "DefaultConnectionSettings");
    EXPECT_EQ(fetch.result, 0);
    EXPECT_EQ(fetch.count, 3);
    const std::string log = ReadFile(std::string(std::getenv("KV_TLS_DIR")) + "\\proxy.log");
    EXPECT_EQ(log, "CONNECT localhost:" + Port("KV_HTTPS_PORT") + " HTTP/1.1\n");
}

}  // namespace

// Faster page encryption for the catalogue's engine.
//
// The engine's own OpenSSL glue builds a cipher context and an HMAC context for every
// page it reads or writes, and OpenSSL 3 looks the algorithms up by name, under locks, on
// each of those set-ups; a fresh IV for every written page takes the random generator's
// locks as well. On a 1 KiB page that is three times the cost of the arithmetic. The
// functions here keep one keyed context per thread and only reset its IV, and hand out
// IVs from a per-thread pool of random bytes. The bytes on disk are exactly the engine's:
// AES-256-CBC pages with HMAC-SHA1, as the sqlcipher program reads them.
//
// The engine takes a table of such functions (its "provider") through exported calls
// that its installed header does not declare. The table is found at run time, checked
// slot by slot against the engine's own functions, and used only when every check
// passes; otherwise the engine keeps its own, which are merely slower.

#include "store/engine_p.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/rand.h>
#include <sqlcipher/sqlite3.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <dlfcn.h>
#include <pthread.h>
#include <strings.h>

namespace store::detail {

namespace {

// The provider table of the engine's 3.4 series: twenty function pointers.
constexpr int kProviderSlots = 20;
constexpr int kGetProviderName = 2;
constexpr int kRandom = 4;
constexpr int kHmac = 5;
constexpr int kCipher = 7;
constexpr int kSetCipher = 8;
constexpr int kGetCipher = 9;
constexpr int kGetKeySize = 10;
constexpr int kGetIvSize = 11;
constexpr int kGetBlockSize = 12;
constexpr int kGetHmacSize = 13;
constexpr int kCtxInit = 16;
constexpr int kCtxFree = 17;

using ProviderTable = std::array<void*, kProviderSlots>;

using RandomFn = int (*)(void* ctx, void* buffer, int length);
using HmacFn = int (*)(void* ctx, unsigned char* key, int keyBytes, unsigned char* in, int inBytes,
                       unsigned char* in2, int in2Bytes, unsigned char* out);
using CipherFn = int (*)(void* ctx, int mode, unsigned char* key, int keyBytes, unsigned char* iv,
                         unsigned char* in, int inBytes, unsigned char* out);
using SetCipherFn = int (*)(void* ctx, const char* name);
using NameFn = const char* (*)(void* ctx);
using SizeFn = int (*)(void* ctx);
using CtxFn = int (*)(void** ctx);

constexpr int kOk = SQLITE_OK;
constexpr int kFailed = SQLITE_ERROR;
constexpr int kHmacBytes = 20;
constexpr int kMaxCachedKey = 64;

template <typename Fn> Fn slot(const ProviderTable& table, int index) {
    return reinterpret_cast<Fn>(table[size_t(index)]);
}

// A context kept keyed: only a change of key (another file's) sets it up again.
struct KeyedContext {
    std::array<unsigned char, kMaxCachedKey> key{};
    int keyBytes = -1;
    const void* algorithm = nullptr;

    bool holds(const void* alg, const unsigned char* k, int bytes) const {
        return algorithm == alg && keyBytes == bytes &&
               std::memcmp(key.data(), k, size_t(bytes)) == 0;
    }
    void remember(const void* alg, const unsigned char* k, int bytes) {
        if (bytes > kMaxCachedKey) {
            forget();
            return;
        }
        algorithm = alg;
        keyBytes = bytes;
        std::memcpy(key.data(), k, size_t(bytes));
    }
    void forget() {
        OPENSSL_cleanse(key.data(), key.size());
        keyBytes = -1;
        algorithm = nullptr;
    }
};

struct CipherContext : KeyedContext {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    ~CipherContext() {
        forget();
        EVP_CIPHER_CTX_free(ctx);
    }
};

struct MacContext : KeyedContext {
    EVP_MAC* mac = EVP_MAC_fetch(nullptr, OSSL_MAC_NAME_HMAC, nullptr);
    EVP_MAC_CTX* ctx = mac ? EVP_MAC_CTX_new(mac) : nullptr;
    ~MacContext() {
        forget();
        EVP_MAC_CTX_free(ctx);
        EVP_MAC_free(mac);
    }
};

// One per direction: reading a file and writing its copy alternate on the same key.
thread_local CipherContext cipherContexts[2];
thread_local MacContext macContext;

// The engine's openssl context starts with the cipher it chose.
const EVP_CIPHER* chosenCipher(void* providerCtx) {
    return *static_cast<const EVP_CIPHER* const*>(providerCtx);
}

int pageCipher(void* providerCtx, int mode, unsigned char* key, int, unsigned char* iv,
               unsigned char* in, int inBytes, unsigned char* out) {
    const EVP_CIPHER* cipher = chosenCipher(providerCtx);
    if (!cipher || (mode != 0 && mode != 1))
        return kFailed;
    CipherContext& c = cipherContexts[mode];
    if (!c.ctx)
        return kFailed;
    const int keyBytes = EVP_CIPHER_get_key_length(cipher);
    bool ok;
    if (c.holds(cipher, key, keyBytes)) {
        ok = EVP_CipherInit_ex(c.ctx, nullptr, nullptr, nullptr, iv, -1) == 1;
    } else {
        c.forget();
        ok = EVP_CipherInit_ex(c.ctx, cipher, nullptr, nullptr, nullptr, mode) == 1 &&
             EVP_CIPHER_CTX_set_padding(c.ctx, 0) == 1 &&
             EVP_CipherInit_ex(c.ctx, nullptr, nullptr, key, iv, mode) == 1;
        if (ok)
            c.remember(cipher, key, keyBytes);
    }
    int written = 0;
    int last = 0;
    ok = ok && EVP_CipherUpdate(c.ctx, out, &written, in, inBytes) == 1 &&
         EVP_CipherFinal_ex(c.ctx, out + written, &last) == 1 && written + last == inBytes;
    if (!ok)
        c.forget();
    return ok ? kOk : kFailed;
}

int pageHmac(void*, unsigned char* key, int keyBytes, unsigned char* in, int inBytes,
             unsigned char* in2, int in2Bytes, unsigned char* out) {
    MacContext& m = macContext;
    if (!m.ctx)
        return kFailed;
    bool ok;
    if (m.holds(m.mac, key, keyBytes)) {
        ok = EVP_MAC_init(m.ctx, nullptr, 0, nullptr) == 1;
    } else {
        m.forget();
        char digest[] = "SHA1";
        const OSSL_PARAM params[] = {
            OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
            OSSL_PARAM_construct_end()};
        ok = EVP_MAC_init(m.ctx, key, size_t(keyBytes), params) == 1;
        if (ok)
            m.remember(m.mac, key, keyBytes);
    }
    size_t written = 0;
    ok = ok && EVP_MAC_update(m.ctx, in, size_t(inBytes)) == 1 &&
         (in2Bytes <= 0 || EVP_MAC_update(m.ctx, in2, size_t(in2Bytes)) == 1) &&
         EVP_MAC_final(m.ctx, out, &written, kHmacBytes) == 1 && written == kHmacBytes;
    if (!ok)
        m.forget();
    return ok ? kOk : kFailed;
}

// IVs and salts from a per-thread pool of the generator's bytes. A child of fork would
// share its parent's pool, so a fork empties every pool.
std::atomic<unsigned> forkGeneration{0};

struct RandomPool {
    std::array<unsigned char, 4096> bytes{};
    size_t used = sizeof bytes;
    unsigned generation = 0;
    ~RandomPool() { OPENSSL_cleanse(bytes.data(), bytes.size()); }
};
thread_local RandomPool randomPool;

int pageRandom(void*, void* buffer, int length) {
    RandomPool& pool = randomPool;
    if (length < 0)
        return kFailed;
    if (size_t(length) > pool.bytes.size() / 4)
        return RAND_bytes(static_cast<unsigned char*>(buffer), length) == 1 ? kOk : kFailed;
    const unsigned generation = forkGeneration.load(std::memory_order_relaxed);
    if (pool.generation != generation || pool.used + size_t(length) > pool.bytes.size()) {
        if (RAND_bytes(pool.bytes.data(), int(pool.bytes.size())) != 1) {
            pool.used = pool.bytes.size();
            return kFailed;
        }
        pool.used = 0;
        pool.generation = generation;
    }
    unsigned char* taken = pool.bytes.data() + pool.used;
    std::memcpy(buffer, taken, size_t(length));
    OPENSSL_cleanse(taken, size_t(length));
    pool.used += size_t(length);
    return kOk;
}

// The engine's own table, with every slot this file relies on checked: the table's size,
// the openssl provider's sizes and cipher, and the same bytes from its cipher and HMAC
// functions as from ours.
bool agreesWithEngine(const ProviderTable& own) {
    for (void* fn : own)
        if (!fn)
            return false;
    void* ctx = nullptr;
    if (slot<CtxFn>(own, kCtxInit)(&ctx) != kOk || !ctx)
        return false;
    bool same = std::strcmp(slot<NameFn>(own, kGetProviderName)(ctx), "openssl") == 0 &&
                slot<SetCipherFn>(own, kSetCipher)(ctx, "aes-256-cbc") == kOk &&
                strcasecmp(slot<NameFn>(own, kGetCipher)(ctx), "aes-256-cbc") == 0 &&
                slot<SizeFn>(own, kGetKeySize)(ctx) == 32 &&
                slot<SizeFn>(own, kGetIvSize)(ctx) == 16 &&
                slot<SizeFn>(own, kGetBlockSize)(ctx) == 16 &&
                slot<SizeFn>(own, kGetHmacSize)(ctx) == kHmacBytes;
    if (same) {
        unsigned char key[32], iv[16], page[96], theirs[96], ours[96], back[96];
        unsigned char tail[4] = {1, 2, 3, 4};
        for (size_t i = 0; i < sizeof page; ++i)
            page[i] = (unsigned char)(i * 7 + 3);
        for (size_t i = 0; i < sizeof key; ++i)
            key[i] = (unsigned char)(i * 13 + 1);
        for (size_t i = 0; i < sizeof iv; ++i)
            iv[i] = (unsigned char)(i * 5 + 2);
        const auto cipher = slot<CipherFn>(own, kCipher);
        const auto hmac = slot<HmacFn>(own, kHmac);
        same = cipher(ctx, 1, key, 32, iv, page, 96, theirs) == kOk &&
               pageCipher(ctx, 1, key, 32, iv, page, 96, ours) == kOk &&
               std::memcmp(theirs, ours, sizeof ours) == 0 &&
               pageCipher(ctx, 0, key, 32, iv, ours, 96, back) == kOk &&
               std::memcmp(back, page, sizeof page) == 0 &&
               hmac(ctx, key, 32, page, 96, tail, 4, theirs) == kOk &&
               pageHmac(ctx, key, 32, page, 96, tail, 4, ours) == kOk &&
               std::memcmp(theirs, ours, kHmacBytes) == 0;
        // The contexts were keyed with the test key; real pages must key them afresh.
        cipherContexts[0].forget();
        cipherContexts[1].forget();
        macContext.forget();
    }
    slot<CtxFn>(own, kCtxFree)(&ctx);
    return same;
}

} // namespace

void installPageCipher() {
    using SetupFn = int (*)(void* table);
    using RegisterFn = int (*)(void* table);
    using ActivateFn = void (*)();
    const auto setup = reinterpret_cast<SetupFn>(dlsym(RTLD_DEFAULT, "sqlcipher_openssl_setup"));
    const auto registerTable =
        reinterpret_cast<RegisterFn>(dlsym(RTLD_DEFAULT, "sqlcipher_register_provider"));
    const auto activate = reinterpret_cast<ActivateFn>(dlsym(RTLD_DEFAULT, "sqlcipher_activate"));
    if (!setup || !registerTable || !activate)
        return;

    // The table must be exactly as long as expected: the filler after it stays untouched.
    void* const filler = reinterpret_cast<void*>(uintptr_t(0x5a5a5a5a5a5a5a5aULL));
    std::array<void*, 2 * kProviderSlots> probe;
    probe.fill(filler);
    if (setup(probe.data()) != kOk)
        return;
    ProviderTable own;
    for (int i = 0; i < 2 * kProviderSlots; ++i) {
        const bool written = probe[size_t(i)] != filler;
        if (written != (i < kProviderSlots))
            return;
        if (i < kProviderSlots)
            own[size_t(i)] = probe[size_t(i)];
    }
    // The engine creates its own table on first use and frees the registered one when its
    // last keyed connection closes; holding one use of our own keeps ours registered.
    activate();
    if (!agreesWithEngine(own))
        return;

    auto* table = static_cast<ProviderTable*>(sqlite3_malloc(int(sizeof(ProviderTable))));
    if (!table)
        return;
    *table = own;
    (*table)[kRandom] = reinterpret_cast<void*>(&pageRandom);
    (*table)[kHmac] = reinterpret_cast<void*>(&pageHmac);
    (*table)[kCipher] = reinterpret_cast<void*>(&pageCipher);
    pthread_atfork(nullptr, nullptr, [] { forkGeneration.fetch_add(1); });
    registerTable(table);
}

} // namespace store::detail

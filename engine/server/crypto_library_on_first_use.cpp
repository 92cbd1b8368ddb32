// The cryptography functions qpdf calls, defined in the engine's server so
// that the executable does not load GnuTLS at start-up. Loading it and the
// seven libraries it brings costs an engine process about 2.7 ms of CPU, a
// third of its start-up, and only encrypted documents and whole-file
// rewrites (qpdf's file identifier) need it. Each function loads the library
// on first use and forwards to it; when it cannot be loaded they fail with
// GnuTLS's own error codes, which qpdf reports.
#include <gnutls/crypto.h>
#include <gnutls/gnutls.h>

#include <dlfcn.h>

namespace {

// The library's ABI name since GnuTLS 3.4.
constexpr const char* kLibraryName = "libgnutls.so.30";

struct CryptoLibrary {
    decltype(&gnutls_cipher_init) cipherInit = nullptr;
    decltype(&gnutls_cipher_encrypt2) cipherEncrypt = nullptr;
    decltype(&gnutls_cipher_decrypt2) cipherDecrypt = nullptr;
    decltype(&gnutls_cipher_deinit) cipherDeinit = nullptr;
    decltype(&gnutls_cipher_get_key_size) cipherKeySize = nullptr;
    decltype(&gnutls_hash_init) hashInit = nullptr;
    decltype(&gnutls_hash) hash = nullptr;
    decltype(&gnutls_hash_deinit) hashDeinit = nullptr;
    decltype(&gnutls_rnd) random = nullptr;
    decltype(&gnutls_strerror) errorText = nullptr;
};

template <typename Function> bool resolve(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

CryptoLibrary load() {
    void* handle = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        return {};
    }
    CryptoLibrary lib;
    if (!resolve(handle, "gnutls_cipher_init", lib.cipherInit) ||
        !resolve(handle, "gnutls_cipher_encrypt2", lib.cipherEncrypt) ||
        !resolve(handle, "gnutls_cipher_decrypt2", lib.cipherDecrypt) ||
        !resolve(handle, "gnutls_cipher_deinit", lib.cipherDeinit) ||
        !resolve(handle, "gnutls_cipher_get_key_size", lib.cipherKeySize) ||
        !resolve(handle, "gnutls_hash_init", lib.hashInit) ||
        !resolve(handle, "gnutls_hash", lib.hash) ||
        !resolve(handle, "gnutls_hash_deinit", lib.hashDeinit) ||
        !resolve(handle, "gnutls_rnd", lib.random) ||
        !resolve(handle, "gnutls_strerror", lib.errorText)) {
        dlclose(handle);
        return {};
    }
    return lib; // the handle stays open for the life of the process
}

// Loaded once, by whichever thread asks first.
const CryptoLibrary& library() {
    static const CryptoLibrary loaded = load();
    return loaded;
}

} // namespace

extern "C" {

int gnutls_cipher_init(gnutls_cipher_hd_t* handle, gnutls_cipher_algorithm_t cipher,
                       const gnutls_datum_t* key, const gnutls_datum_t* iv) {
    const auto& lib = library();
    return lib.cipherInit ? lib.cipherInit(handle, cipher, key, iv) : GNUTLS_E_CRYPTO_INIT_FAILED;
}

int gnutls_cipher_encrypt2(gnutls_cipher_hd_t handle, const void* text, size_t textLength,
                           void* cipherText, size_t cipherTextLength) {
    // A handle exists only if the library loaded.
    return library().cipherEncrypt(handle, text, textLength, cipherText, cipherTextLength);
}

int gnutls_cipher_decrypt2(gnutls_cipher_hd_t handle, const void* cipherText,
                           size_t cipherTextLength, void* text, size_t textLength) {
    return library().cipherDecrypt(handle, cipherText, cipherTextLength, text, textLength);
}

void gnutls_cipher_deinit(gnutls_cipher_hd_t handle) {
    library().cipherDeinit(handle);
}

size_t gnutls_cipher_get_key_size(gnutls_cipher_algorithm_t algorithm) {
    const auto& lib = library();
    return lib.cipherKeySize ? lib.cipherKeySize(algorithm) : 0;
}

int gnutls_hash_init(gnutls_hash_hd_t* digest, gnutls_digest_algorithm_t algorithm) {
    const auto& lib = library();
    return lib.hashInit ? lib.hashInit(digest, algorithm) : GNUTLS_E_CRYPTO_INIT_FAILED;
}

int gnutls_hash(gnutls_hash_hd_t handle, const void* text, size_t textLength) {
    return library().hash(handle, text, textLength);
}

void gnutls_hash_deinit(gnutls_hash_hd_t handle, void* digest) {
    library().hashDeinit(handle, digest);
}

int gnutls_rnd(gnutls_rnd_level_t level, void* data, size_t length) {
    const auto& lib = library();
    return lib.random ? lib.random(level, data, length) : GNUTLS_E_CRYPTO_INIT_FAILED;
}

const char* gnutls_strerror(int error) {
    const auto& lib = library();
    if (lib.errorText == nullptr) {
        return "the cryptography library libgnutls.so.30 could not be loaded";
    }
    return lib.errorText(error);
}

} // extern "C"

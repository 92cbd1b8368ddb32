#include "engine/incremental/object_encryption.h"

#include "engine/incremental/update_not_possible.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFCryptoProvider.hh>
#include <qpdf/QUtil.hh>

#include <array>

namespace paginor::engine {

namespace {

constexpr std::size_t kAesBlock = 16;

bool writable(QPDF::encryption_method_e method) {
    return method == QPDF::e_none || method == QPDF::e_rc4 || method == QPDF::e_aes ||
           method == QPDF::e_aesv3;
}

bool hasCryptFilter(QPDFObjectHandle dictionary) {
    QPDFObjectHandle filter = dictionary.getKey("/Filter");
    if (filter.isNameAndEquals("/Crypt")) {
        return true;
    }
    if (filter.isArray()) {
        for (int i = 0; i < filter.getArrayNItems(); ++i) {
            if (filter.getArrayItem(i).isNameAndEquals("/Crypt")) {
                return true;
            }
        }
    }
    return false;
}

std::string aesCbc(const std::string& key, const std::string& data) {
    auto crypto = QPDFCryptoProvider::getImpl();
    std::array<unsigned char, kAesBlock> chain{};
    QUtil::initializeWithRandomBytes(chain.data(), chain.size());
    std::string out(reinterpret_cast<const char*>(chain.data()), chain.size());
    const std::size_t padding = kAesBlock - data.size() % kAesBlock;
    std::string padded = data + std::string(padding, static_cast<char>(padding));
    crypto->rijndael_init(true, reinterpret_cast<const unsigned char*>(key.data()), key.size(),
                          true, chain.data());
    std::array<unsigned char, kAesBlock> block{};
    std::array<unsigned char, kAesBlock> encrypted{};
    for (std::size_t at = 0; at < padded.size(); at += kAesBlock) {
        std::copy_n(padded.begin() + static_cast<std::ptrdiff_t>(at), kAesBlock, block.begin());
        crypto->rijndael_process(block.data(), encrypted.data());
        out.append(reinterpret_cast<const char*>(encrypted.data()), kAesBlock);
    }
    crypto->rijndael_finalize();
    return out;
}

std::string rc4(const std::string& key, const std::string& data) {
    auto crypto = QPDFCryptoProvider::getImpl();
    std::string out(data.size(), '\0');
    crypto->RC4_init(reinterpret_cast<const unsigned char*>(key.data()),
                     static_cast<int>(key.size()));
    crypto->RC4_process(reinterpret_cast<const unsigned char*>(data.data()), data.size(),
                        reinterpret_cast<unsigned char*>(out.data()));
    crypto->RC4_finalize();
    return out;
}

} // namespace

std::optional<ObjectEncryption> ObjectEncryption::of(QPDF& pdf) {
    int r = 0;
    int p = 0;
    int v = 0;
    QPDF::encryption_method_e streams = QPDF::e_none;
    QPDF::encryption_method_e strings = QPDF::e_none;
    QPDF::encryption_method_e files = QPDF::e_none;
    if (!pdf.isEncrypted(r, p, v, streams, strings, files)) {
        return std::nullopt;
    }
    if (v < 4) {
        // Before crypt filters, everything is RC4 (qpdf reports no method).
        streams = strings = files = QPDF::e_rc4;
    }
    ObjectEncryption encryption;
    encryption.key_ = pdf.getEncryptionKey();
    if (encryption.key_.empty() || !writable(streams) || !writable(strings) || !writable(files)) {
        throw UpdateNotPossible("the document's encryption method cannot be written");
    }
    encryption.v_ = v;
    encryption.r_ = r;
    encryption.streams_ = streams;
    encryption.strings_ = strings;
    encryption.files_ = files;
    QPDFObjectHandle dictionary = pdf.getTrailer().getKey("/Encrypt");
    QPDFObjectHandle metadata =
        dictionary.isDictionary() ? dictionary.getKey("/EncryptMetadata") : QPDFObjectHandle();
    encryption.metadataEncrypted_ = !(v >= 4 && metadata.isBool() && !metadata.getBoolValue());
    return encryption;
}

std::string ObjectEncryption::encrypt(const std::string& data, QPDF::encryption_method_e method,
                                      QPDFObjGen object) const {
    if (method == QPDF::e_none) {
        return data;
    }
    const bool aes = method == QPDF::e_aes || method == QPDF::e_aesv3;
    const std::string key =
        QPDF::compute_data_key(key_, object.getObj(), object.getGen(), aes, v_, r_);
    return aes ? aesCbc(key, data) : rc4(key, data);
}

std::string ObjectEncryption::encryptString(const std::string& text, QPDFObjGen object) const {
    return encrypt(text, strings_, object);
}

std::string ObjectEncryption::encryptStream(const std::string& data, QPDFObjectHandle dictionary,
                                            QPDFObjGen object) const {
    if (hasCryptFilter(dictionary)) {
        throw UpdateNotPossible("a stream has its own crypt filter");
    }
    QPDFObjectHandle type = dictionary.getKey("/Type");
    if (type.isNameAndEquals("/Metadata") && !metadataEncrypted_) {
        return data;
    }
    if (type.isNameAndEquals("/EmbeddedFile") && files_ != streams_) {
        // qpdf tells attachments by where they are referenced, not by
        // /Type, and does not say which streams it counts: too uncertain to
        // guess which key a reader will use.
        throw UpdateNotPossible("an embedded file stream with its own crypt filter");
    }
    return encrypt(data, streams_, object);
}

} // namespace paginor::engine

#include "object_graph_comparison.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <cctype>
#include <map>
#include <regex>
#include <set>

namespace engine_test {

namespace {

const std::set<std::string> kTrailerIgnored = {"/ID",          "/Size",  "/Prev",  "/XRefStm",
                                               "/Type",        "/W",     "/Index", "/Filter",
                                               "/DecodeParms", "/Length"};

std::string decodedName(const std::string& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '#' && i + 2 < name.size() &&
            std::isxdigit(static_cast<unsigned char>(name[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(name[i + 2]))) {
            out += static_cast<char>(std::stoi(name.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += name[i];
        }
    }
    return out;
}

std::string bytesOf(const std::shared_ptr<Buffer>& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
}

// The XMP dates a save sets to its own time.
std::string withoutSaveDates(const std::string& xmp) {
    static const std::regex element(
        R"(<xmp:(ModifyDate|MetadataDate)>[^<]*</xmp:(ModifyDate|MetadataDate)>)");
    static const std::regex attribute(R"(xmp:(ModifyDate|MetadataDate)=("[^"]*"|'[^']*'))");
    return std::regex_replace(std::regex_replace(xmp, element, "<xmp:$1/>"), attribute, "");
}

class Walk {
public:
    Walk(std::size_t limit) : limit_(limit) {}

    void compare(QPDFObjectHandle a, QPDFObjectHandle b, const std::string& path, int depth) {
        if (differences.size() >= limit_ || depth > 400) {
            return;
        }
        if (a.isIndirect() && b.isIndirect() &&
            !visited_.emplace(a.getObjGen(), b.getObjGen()).second) {
            return;
        }
        if (a.getTypeCode() != b.getTypeCode()) {
            differ(path, std::string(a.getTypeName()) + " against " + b.getTypeName());
            return;
        }
        switch (a.getTypeCode()) {
        case ::ot_array:
            if (a.getArrayNItems() != b.getArrayNItems()) {
                differ(path, "arrays of " + std::to_string(a.getArrayNItems()) + " and " +
                                 std::to_string(b.getArrayNItems()) + " items");
                return;
            }
            for (int i = 0; i < a.getArrayNItems(); ++i) {
                compare(a.getArrayItem(i), b.getArrayItem(i), path + "[" + std::to_string(i) + "]",
                        depth + 1);
            }
            return;
        case ::ot_dictionary:
            compareDictionaries(a, b, path, depth);
            return;
        case ::ot_stream:
            compareDictionaries(a.getDict(), b.getDict(), path, depth);
            compareData(a, b, path);
            return;
        case ::ot_null:
            return;
        case ::ot_name:
            if (decodedName(a.getName()) != decodedName(b.getName())) {
                differ(path, a.getName() + " against " + b.getName());
            }
            return;
        default:
            if (a.unparseResolved() != b.unparseResolved()) {
                differ(path, a.unparse().substr(0, 80) + " against " + b.unparse().substr(0, 80));
            }
        }
    }

    std::vector<std::string> differences;

private:
    void differ(const std::string& path, const std::string& what) {
        differences.push_back(path + ": " + what);
    }

    std::set<std::string> keysOf(QPDFObjectHandle dictionary, const std::string& path) {
        std::set<std::string> keys;
        for (const std::string& key : dictionary.getKeys()) {
            keys.insert(decodedName(key));
        }
        keys.erase("/Length");
        if (path == "trailer") {
            for (const std::string& key : kTrailerIgnored) {
                keys.erase(key);
            }
        }
        if (path == "trailer/Root") {
            keys.erase("/Perms");
            keys.erase("/Extensions");
        }
        if (path == "trailer/Info") {
            keys.erase("/ModDate");
        }
        return keys;
    }

    void compareDictionaries(QPDFObjectHandle a, QPDFObjectHandle b, const std::string& path,
                             int depth) {
        const std::set<std::string> keysA = keysOf(a, path);
        const std::set<std::string> keysB = keysOf(b, path);
        if (keysA != keysB) {
            std::string what = "keys";
            for (const std::string& key : keysA) {
                what += keysB.count(key) == 0 ? " -" + key : "";
            }
            for (const std::string& key : keysB) {
                what += keysA.count(key) == 0 ? " +" + key : "";
            }
            differ(path, what);
            return;
        }
        std::map<std::string, std::string> keyInB;
        for (const std::string& key : b.getKeys()) {
            keyInB[decodedName(key)] = key;
        }
        for (const std::string& key : a.getKeys()) {
            const std::string decoded = decodedName(key);
            if (keysA.count(decoded) != 0) {
                compare(a.getKey(key), b.getKey(keyInB[decoded]), path + decoded, depth + 1);
            }
        }
    }

    void compareData(QPDFObjectHandle a, QPDFObjectHandle b, const std::string& path) {
        try {
            if (bytesOf(a.getRawStreamData()) == bytesOf(b.getRawStreamData())) {
                return;
            }
            std::string dataA = bytesOf(a.getStreamData(qpdf_dl_generalized));
            std::string dataB = bytesOf(b.getStreamData(qpdf_dl_generalized));
            if (a.getDict().getKey("/Type").isNameAndEquals("/Metadata")) {
                dataA = withoutSaveDates(dataA);
                dataB = withoutSaveDates(dataB);
            }
            if (dataA != dataB) {
                differ(path, "stream data of " + std::to_string(dataA.size()) + " and " +
                                 std::to_string(dataB.size()) + " bytes");
            }
        } catch (const std::exception& error) {
            differ(path, std::string("stream data unreadable: ") + error.what());
        }
    }

    std::size_t limit_;
    std::set<std::pair<QPDFObjGen, QPDFObjGen>> visited_;
};

} // namespace

std::vector<std::string> documentDifferences(const std::filesystem::path& a,
                                             const std::filesystem::path& b, std::size_t limit) {
    QPDF first;
    QPDF second;
    first.setSuppressWarnings(true);
    second.setSuppressWarnings(true);
    first.processFile(a.string().c_str());
    second.processFile(b.string().c_str());
    Walk walk(limit);
    walk.compare(first.getTrailer(), second.getTrailer(), "trailer", 0);
    return walk.differences;
}

} // namespace engine_test

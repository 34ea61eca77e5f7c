#include "install/classify_install_output.h"

#include <array>

#include "adbtool/adb_device_errors.h"

namespace nimbo {

namespace {

bool Contains(std::string_view piece, std::string_view marker) {
    return piece.find(marker) != std::string_view::npos;
}

// "Success" counts at the very start of the piece or right after a line feed:
// adb 29 prints the push progress first and the verdict on its own last line.
bool SuccessLine(std::string_view piece) {
    constexpr std::string_view kWord = "Success";
    if (piece.starts_with(kWord)) return true;
    for (size_t lf = piece.find('\n'); lf != std::string_view::npos;
         lf = piece.find('\n', lf + 1)) {
        if (piece.substr(lf + 1).starts_with(kWord)) return true;
    }
    return false;
}

// The old adb's missing-file complaint ("can't find 'x.apk' to install"), but
// not today's "failed to install FILE: Failure [...]", whose code in brackets
// says more.
bool MissingFileLine(std::string_view piece) {
    constexpr std::string_view kMarker = "to install";
    constexpr std::string_view kFailed = "failed ";
    for (size_t at = piece.find(kMarker); at != std::string_view::npos;
         at = piece.find(kMarker, at + 1)) {
        if (at < kFailed.size() || piece.substr(at - kFailed.size(), kFailed.size()) != kFailed) {
            return true;
        }
    }
    return false;
}

// "Failure [CODE: detail]" -> "CODE". The code ends at ':' or ']' (or at the
// end of the line when the piece was cut off there).
std::optional<std::string> FailureCode(std::string_view piece) {
    constexpr std::string_view kMarker = "Failure [";
    const size_t at = piece.rfind(kMarker);
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view rest = piece.substr(at + kMarker.size());
    rest = rest.substr(0, rest.find_first_of(":]\r\n"));
    return std::string(rest);
}

// adb repeats the user's file name in some lines; a name such as
// "apps to install/x.apk" must not read as a marker. Those names are replaced
// by "FILE" before any marker is looked for:
//   adb: failed to install NAME: Failure [CODE...]   (streamed install)
//   NAME: 1 file pushed, 0 skipped. ...              (push install)
//   \tpkg: /data/local/tmp/NAME                       (push install)
std::string MaskLine(std::string_view line) {
    constexpr std::string_view kFailed = "failed to install ";
    constexpr std::string_view kFailure = ": Failure [";
    constexpr std::string_view kPkg = "\tpkg: ";
    if (line.starts_with(kPkg)) return std::string(kPkg) + "FILE";
    const size_t failed = line.find(kFailed);
    const size_t failure = line.rfind(kFailure);
    if (failed != std::string_view::npos && failure != std::string_view::npos && failure > failed) {
        const size_t name = failed + kFailed.size();
        return std::string(line.substr(0, name)) + "FILE" + std::string(line.substr(failure));
    }
    for (std::string_view pushed : {" file pushed", " files pushed"}) {
        const size_t at = line.rfind(pushed);
        if (at == std::string_view::npos) continue;
        // The count sits between the name's ": " and " file(s) pushed".
        const size_t colon = line.rfind(": ", at);
        if (colon == std::string_view::npos) continue;
        const std::string_view count = line.substr(colon + 2, at - colon - 2);
        if (count.empty() || count.find_first_not_of("0123456789") != std::string_view::npos) {
            continue;
        }
        return "FILE" + std::string(line.substr(colon));
    }
    return std::string(line);
}

std::string MaskFileNames(std::string_view piece) {
    std::string masked;
    masked.reserve(piece.size());
    for (size_t start = 0; start <= piece.size();) {
        const size_t lf = piece.find('\n', start);
        const size_t end = lf == std::string_view::npos ? piece.size() : lf;
        masked += MaskLine(piece.substr(start, end - start));
        if (lf == std::string_view::npos) break;
        masked += '\n';
        start = lf + 1;
    }
    return masked;
}

constexpr const char* kBadApk = "安装失败,请选择一个有效的APK文件";
constexpr const char* kApkLost = "安装失败,APK文件意外丢失";

struct Row {
    std::string_view marker;
    const char* message;
    // Device faults: the message is "安装失败," and this reason, the words the
    // listing uses for the same fault.
    const char* reason = nullptr;
};

// Tested in this order after the generic failure and before "Success".
const std::array<Row, 29> kRows = {{
    {"INSTALL_FAILED_ALREADY_EXISTS", "安装失败,文件已经存在,请在手机端删除老版本后重试"},
    {"INSTALL_FAILED_CONFLICTING_PROVIDER", "安装失败,由于Provider验证问题,请删除老版本后重试"},
    {"INSTALL_FAILED_DEXOPT", "安装失败,手机没有足够的空间或APK文件损坏"},
    {"INSTALL_FAILED_DUPLICATE_PACKAGE", "安装失败,软件内部Package冲突,联系APK文件的开发商"},
    {"INSTALL_FAILED_INSUFFICIENT_STORAGE", "安装失败,手机内存已满,没有足够空间安装新软件"},
    {"INSTALL_FAILED_INVALID_APK", "安装失败,无效的APK文件"},
    {"INSTALL_FAILED_INVALID_URI", nullptr},  // internal error, message built with the address
    {"INSTALL_FAILED_MISSING_SHARED_LIBRARY", "安装失败,APK文件使用共享库无效,联系APK文件的开发商"},
    {"INSTALL_FAILED_NO_SHARED_USER", "安装失败,请求的共享用户不存在,联系APK文件的开发商"},
    {"INSTALL_FAILED_OLDER_SDK", "安装失败,该软件版本过老,联系APK文件的开发商"},
    {"INSTALL_FAILED_REPLACE_COULDNT_DELETE", "安装失败,Package共享库无效,联系APK文件的开发商"},
    {"is not a valid zip file", kBadApk},
    {"not contain", "安装失败,APK文件已经损坏"},
    {"to install", kApkLost},  // tested by MissingFileLine
    {"device not found", nullptr, kReasonNotConnected},
    // What current adb and Android versions print, for the same faults and more.
    {"no devices/emulators found", nullptr, kReasonNotConnected},
    {"more than one device/emulator", nullptr, kReasonSeveralDevices},
    {"cannot stat", kApkLost},
    {"failed to stat", kApkLost},
    {"need APK file on command line", kBadApk},
    {"doesn't end .apk", kBadApk},
    {"INSTALL_PARSE_FAILED_NOT_APK", kBadApk},
    {"INSTALL_FAILED_UPDATE_INCOMPATIBLE",
     "安装失败,新版本的签名与手机中的老版本不一致,请删除老版本后重试"},
    {"INSTALL_FAILED_VERSION_DOWNGRADE", "安装失败,手机中已有更高的版本"},
    {"device unauthorized", nullptr, kReasonUnauthorized},
    {"device offline", nullptr, kReasonOffline},
    {"INSTALL_FAILED_USER_RESTRICTED", "安装失败,请在手机的开发者选项中允许通过USB安装应用"},
    {"INSTALL_FAILED_NO_MATCHING_ABIS", "安装失败,该软件不支持这台手机的处理器"},
    // A split app installed without all of its parts.
    {"INSTALL_FAILED_MISSING_SPLIT",
     "安装失败,缺少该软件的拆分安装包,请选择完整的APKS文件或同时选择它的全部APK文件"},
}};

}  // namespace

std::optional<std::string> ClassifyInstallOutput(std::string_view original) {
    const std::string masked = MaskFileNames(original);
    const std::string_view piece = masked;
    std::optional<std::string> message;

    // Any failure adb reports, so that no failure is left showing "installing";
    // every specific row below overrides it.
    if (auto code = FailureCode(piece)) {
        message = code->empty() ? std::string("安装失败") : "安装失败," + *code;
    }
    auto test = [&](const Row& row) {
        const bool hit =
            row.marker == "to install" ? MissingFileLine(piece) : Contains(piece, row.marker);
        if (!hit) return;
        if (row.reason) {
            message = std::string("安装失败,") + row.reason;
        } else {
            message = row.message ? std::string(row.message)
                                  : std::string("Nimbo内部错误，请联系") + kSupportEmail;
        }
    };
    for (const Row& row : kRows) test(row);
    // A named phone that has gone ("error: device 'SERIAL' not found").
    if (!message) {
        if (auto reason = AdbDeviceProblem(piece)) message = std::string("安装失败,") + *reason;
    }
    if (SuccessLine(piece)) message = "安装成功,请在手机功能表中运行使用";
    return message;
}

}  // namespace nimbo

#include "Bridge.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "ChdMetadata.h"
#include "Utf8Path.h"
#include "WorkFiles.h"

namespace qm::bridge {
namespace fs = std::filesystem;

namespace {

// What `info -i` says of a version 5 hard disk image that the metadata edit
// may take, read from the image itself: one run of the tool less on the
// edit's way. nullopt for any other image, which the tool describes.
std::optional<ImageInfo> EditableImageInfo(const std::string& image) {
  std::variant<ChdLayout, std::string> read = std::string();
  if (auto file = ChdFile::Open(image, false)) read = ReadChdLayout(*file);
  const ChdLayout* layout = std::get_if<ChdLayout>(&read);
  if (!layout || ReplaceRefusal(*layout, kHardDiskTag) || layout->header.hunkBytes == 0) return std::nullopt;
  const ChdHeader& h = layout->header;
  const auto gddd = std::find_if(layout->entries.begin(), layout->entries.end(),
                                 [](const ChdMetadataEntry& e) { return e.tag == kHardDiskTag; });
  ImageInfo info;
  info.geometry = ParseGddd(std::string_view(reinterpret_cast<const char*>(gddd->data.data()), gddd->data.size()));
  if (!info.geometry) return std::nullopt;
  info.version = 5;
  info.logicalBytes = h.logicalBytes;
  info.hunkBytes = h.hunkBytes;
  info.totalHunks = (h.logicalBytes + h.hunkBytes - 1) / h.hunkBytes;
  // Header bytes 16 to 31: the four codec tags, which the tool prints as
  // their names ("zlib", "cdlz"); zero for none.
  for (std::size_t at = 16; at < 32; at += 4) {
    if (h.raw[at] || h.raw[at + 1] || h.raw[at + 2] || h.raw[at + 3])
      info.codecs.emplace_back(reinterpret_cast<const char*>(&h.raw[at]), 4);
  }
  if (info.compressed()) {
    static const char digits[] = "0123456789abcdef";
    for (std::uint8_t byte : h.rawSha1) info.dataSha1 += {digits[byte >> 4], digits[byte & 15]};
  }
  return info;
}

bool Exists(const std::string& name) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(PathFromUtf8(name), ec));
}

void Remove(const std::string& name) {
  std::error_code ec;
  fs::remove(PathFromUtf8(name), ec);
}

// Removes the files it holds when it goes out of scope, unless released.
class RemoveOnExit {
 public:
  explicit RemoveOnExit(std::vector<std::string> names) : names_(std::move(names)) {}
  RemoveOnExit(const RemoveOnExit&) = delete;
  RemoveOnExit& operator=(const RemoveOnExit&) = delete;
  ~RemoveOnExit() {
    for (const std::string& name : names_) Remove(name);
  }
  void Keep(const std::string& name) { std::erase(names_, name); }

 private:
  std::vector<std::string> names_;
};

std::string GeometryRefusal(const std::string& image, const HardDiskGeometry& g, std::uint64_t capacity,
                            std::uint64_t logical) {
  return "Error: the geometry " + Describe(g) + " holds " + GroupDigits(capacity) + " bytes, less than the " +
         GroupDigits(logical) + " bytes of " + image + "; the image was not changed";
}

}  // namespace

int Bridge::Run(const OldCommand& command) {
  // What a bridge killed earlier left in this folder.
  fs::path folder = PathFromUtf8(command.image).parent_path();
  if (folder.empty()) folder = ".";
  RemoveStaleWorkFiles(folder, host_.pid, host_.processRunning);

  Outcome outcome;
  switch (command.kind) {
    case OldCommandKind::Update:
    case OldCommandKind::Merge: outcome = Copy(command); break;
    case OldCommandKind::SetChs: outcome = SetChs(command); break;
    case OldCommandKind::CreateCd:
    case OldCommandKind::CreateDvd: outcome = Create(command); break;
    case OldCommandKind::Verify: outcome = Verify(command); break;
    case OldCommandKind::Extract: outcome = Extract(command); break;
  }
  if (!outcome.ok()) {
    // On a line of its own after any progress line: the program quotes the last line.
    host_.write("\n" + outcome.reason + "\n");
  }
  return outcome.status;
}

Bridge::Outcome Bridge::Copy(const OldCommand& command) {
  ImageInfo source;
  if (Outcome o = Info(MeasuredImage(command), source); !o.ok()) return o;

  const bool outputExisted = Exists(command.output);
  ProgressTranslator translator(source.totalHunks);
  Outcome o = Stage(CopyArguments(command), translator);
  if (o.ok() && !source.dataSha1.empty()) {
    ImageInfo written;
    o = Info(command.output, written);
    if (o.ok() && written.dataSha1 != source.dataSha1) {
      o = {kExitFailure, "Error: the data of " + command.output + " (SHA1 " + written.dataSha1 +
                             ") differs from that of " + MeasuredImage(command) + " (SHA1 " + source.dataSha1 + ")"};
    }
  }
  if (o.ok()) {
    host_.write(translator.StageEndLine());
  } else if (!outputExisted) {
    Remove(command.output);
  }
  return o;
}

Bridge::Outcome Bridge::Create(const OldCommand& command) {
  std::string tool = "createcd";
  if (command.kind == OldCommandKind::CreateDvd) {
    tool = "createdvd";
    ToolUsage usage;
    if (Outcome o = Probe(usage); !o.ok()) return o;
    if (!usage.Has(tool)) {
      return {kExitFailure, "Errore: il chdman trovato (versione " + (usage.version.empty() ? "?" : usage.version) +
                                ") non ha createdvd, che c'è da chdman 0.254; nulla è stato creato"};
    }
  }
  if (Exists(command.output)) {
    return {kExitFailure, "Errore: " + command.output + " esiste già; nulla è stato creato"};
  }
  ProgressTranslator translator(kPercentUnits);
  Outcome o = Stage({tool, "-i", command.image, "-o", command.output}, translator);
  if (o.ok()) {
    host_.write(translator.StageEndLine());
  } else {
    Remove(command.output);
  }
  return o;
}

Bridge::Outcome Bridge::Verify(const OldCommand& command) {
  ProgressTranslator translator(kPercentUnits);
  Outcome o = Stage({"verify", "-i", command.image}, translator);
  if (o.ok()) host_.write(translator.StageEndLine());
  return o;
}

Bridge::Outcome Bridge::Extract(const OldCommand& command) {
  ImageInfo info;
  if (Outcome o = Info(command.image, info); !o.ok()) return o;
  const fs::path image = PathFromUtf8(command.image);
  const std::string base = Utf8FromPath(image.stem());
  const fs::path work = PathFromUtf8(command.output);
  const auto inWork = [&](const std::string& ext) { return Utf8FromPath(work / PathFromUtf8(base + ext)); };

  std::vector<std::string> args;
  std::vector<std::string> extensions;
  switch (MediumOf(info)) {
    case MediumKind::Cd:
      // The tool names the BIN after the CUE, beside it, and the CUE refers to it by that name.
      args = {"extractcd", "-i", command.image, "-o", inWork(".cue")};
      extensions = {".cue", ".bin"};
      break;
    case MediumKind::Dvd: {
      ToolUsage usage;
      if (Outcome o = Probe(usage); !o.ok()) return o;
      // extractraw writes the same bytes where the tool has no extractdvd.
      args = {usage.Has("extractdvd") ? "extractdvd" : "extractraw", "-i", command.image, "-o", inWork(".iso")};
      extensions = {".iso"};
      break;
    }
    case MediumKind::HardDisk:
      args = {"extracthd", "-i", command.image, "-o", inWork(".img")};
      extensions = {".img"};
      break;
    case MediumKind::Unknown:
      return {kExitFailure, "Errore: " + command.image +
                                " non è l'immagine di un CD, di un DVD né di un disco rigido (nessun metadato CHCD, "
                                "CHTR, CHT2, DVD o GDDD); nulla è stato estratto"};
  }
  for (const std::string& ext : extensions) {
    const std::string target = Utf8FromPath(image.parent_path() / PathFromUtf8(base + ext));
    if (Exists(target)) return {kExitFailure, "Errore: " + target + " esiste già; nulla è stato estratto"};
  }
  std::error_code ec;
  if (Exists(command.output) || !fs::create_directory(work, ec)) {
    return {kExitFailure, "Errore: la cartella di lavoro " + command.output +
                              (ec ? " non può essere creata (" + ec.message() + ")" : " esiste già") +
                              "; nulla è stato estratto"};
  }
  ProgressTranslator translator(kPercentUnits);
  Outcome o = Stage(args, translator);
  if (o.ok()) {
    host_.write(translator.StageEndLine());
  } else {
    fs::remove_all(work, ec);
  }
  return o;
}

Bridge::Outcome Bridge::Probe(ToolUsage& usage) {
  std::string text;
  const ToolRunner::Result r = host_.tool.Run({}, [&](std::string_view chunk) {
    text.append(chunk);
    return false;
  });
  if (std::optional<Outcome> o = NotRun(r)) return *o;
  usage = ParseToolUsage(text);
  return {};
}

Bridge::Outcome Bridge::SetChs(const OldCommand& command) {
  const std::string& image = command.image;
  // An image the edit may take is read here; the tool describes any other.
  std::optional<ImageInfo> own = EditableImageInfo(image);
  ImageInfo info;
  if (own) {
    info = *own;
  } else if (Outcome o = Info(image, info); !o.ok()) {
    return o;
  }
  if (!info.geometry) {
    return {kExitFailure, "Error: " + image + " has no hard disk geometry (GDDD metadata): it is not a hard disk image"};
  }
  if (!info.parentSha1.empty()) {
    return {kExitFailure, "Error: " + image + " is a difference image (it has a parent); merge it before setting its geometry"};
  }
  const HardDiskGeometry geometry{command.cylinders, command.heads, command.sectors, info.geometry->bytesPerSector};
  const std::uint64_t capacity = Capacity(geometry);
  if (capacity < info.logicalBytes) {
    return {kExitFailure, GeometryRefusal(image, geometry, capacity, info.logicalBytes)};
  }
  if (geometry == *info.geometry) {
    host_.write("Geometry of " + image + " is already " + GdddText(geometry) + "\n");
    return {};
  }
  // The image is replaced, never written; refuse as the tool would for a file it may not write.
  if (!std::fstream(PathFromUtf8(image), std::ios::in | std::ios::out | std::ios::binary)) {
    return {kExitFailure, "Error: " + image + " is not writeable; the image was not changed"};
  }

  const std::string work1 = Utf8FromPath(WorkFilePath(PathFromUtf8(image), host_.pid, 1));
  const std::string work2 = Utf8FromPath(WorkFilePath(PathFromUtf8(image), host_.pid, 2));
  RemoveOnExit cleanup({work1, work2});
  Remove(work1);
  Remove(work2);
  std::optional<Outcome> edited = SetChsByEdit(image, info, geometry, work1);
  if (!edited && own) {
    // The old way copies with what the tool itself says of the image.
    if (Outcome o = Info(image, info); !o.ok()) return o;
  }
  Outcome o = edited                ? std::move(*edited)
              : info.compressed() ? SetChsCompressed(image, info, geometry, work1, work2)
                                  : SetChsUncompressed(image, info, geometry, work1);
  if (o.ok()) host_.write("Geometry of " + image + " set to " + GdddText(geometry) + "\n");
  return o;
}

std::optional<Bridge::Outcome> Bridge::SetChsByEdit(const std::string& image, const ImageInfo& info,
                                                    const HardDiskGeometry& geometry, const std::string& work) {
  const std::string text = GdddText(geometry);
  const std::vector<std::uint8_t> gddd(text.c_str(), text.c_str() + text.size() + 1);  // the tool keeps the NUL
  // What the edit relies on, read from the image and matched with what the tool said of it.
  std::variant<ChdLayout, std::string> read = std::string();
  if (auto file = ChdFile::Open(image, false)) read = ReadChdLayout(*file);
  const ChdLayout* original = std::get_if<ChdLayout>(&read);
  if (!original || ReplaceRefusal(*original, kHardDiskTag) || original->header.logicalBytes != info.logicalBytes ||
      original->header.hunkBytes != info.hunkBytes || original->header.compressed != info.compressed()) {
    return std::nullopt;
  }
  const auto old = std::find_if(original->entries.begin(), original->entries.end(),
                                [](const ChdMetadataEntry& e) { return e.tag == kHardDiskTag; });
  if (ParseGddd(std::string_view(reinterpret_cast<const char*>(old->data.data()), old->data.size())) != info.geometry) {
    return std::nullopt;
  }

  ProgressTranslator copying(info.totalHunks);
  if (Outcome o = CopyFileWithProgress(image, work, copying); !o.ok()) return o;
  // The copy must read as the image did, and after the edit as the image with the new geometry.
  bool edited = false;
  if (auto copy = ChdFile::Open(work, true)) {
    std::variant<ChdLayout, std::string> before = ReadChdLayout(*copy), after = std::string();
    const ChdLayout* layout = std::get_if<ChdLayout>(&before);
    if (layout && !ReplacementMismatch(*original, *layout, kHardDiskTag, old->data) &&
        !ReplaceMetadata(*copy, *layout, kHardDiskTag, gddd)) {
      after = ReadChdLayout(*copy);
    }
    const ChdLayout* changed = std::get_if<ChdLayout>(&after);
    edited = copy->Close() && changed && !ReplacementMismatch(*original, *changed, kHardDiskTag, gddd);
  }
  ImageInfo result;
  if (edited) {
    if (Outcome o = Info(work, result); !o.ok()) {
      if (host_.tool.Interrupted() != 0) return o;
      edited = false;
    }
  }
  // What the tool reads of the copy.
  edited = edited && result.geometry == geometry && result.dataSha1 == info.dataSha1 && result.codecs == info.codecs &&
           result.hunkBytes == info.hunkBytes && result.logicalBytes == info.logicalBytes &&
           result.totalHunks == info.totalHunks && result.parentSha1.empty();
  if (!edited) {
    Remove(work);
    return std::nullopt;
  }
  if (Outcome o = Replace(work, image); !o.ok()) return o;
  host_.write(copying.StageEndLine());
  return Outcome{};
}

// Copy, new metadata on the copy, check, replace: addmeta never touches the image.
Bridge::Outcome Bridge::SetChsUncompressed(const std::string& image, const ImageInfo& info,
                                           const HardDiskGeometry& geometry, const std::string& work) {
  ProgressTranslator copying(info.totalHunks);
  if (Outcome o = CopyFileWithProgress(image, work, copying); !o.ok()) return o;
  ProgressTranslator quiet(info.totalHunks);
  if (Outcome o = Stage({"addmeta", "-i", work, "-t", "GDDD", "-vt", GdddText(geometry)}, quiet); !o.ok()) return o;

  ImageInfo result;
  if (Outcome o = Info(work, result); !o.ok()) return o;
  if (result.geometry != geometry || result.logicalBytes != info.logicalBytes || result.totalHunks != info.totalHunks ||
      result.compressed()) {
    return {kExitFailure, "Error: the copy of " + image + " does not read back as expected; the image was not changed"};
  }
  if (Outcome o = Replace(work, image); !o.ok()) return o;
  host_.write(copying.StageEndLine());
  return {};
}

// A compressed image cannot take new metadata: it is expanded into work1,
// given the geometry there, compressed again with its own codecs and hunk
// size into work2, verified, and only then put in the image's place.
Bridge::Outcome Bridge::SetChsCompressed(const std::string& image, const ImageInfo& info,
                                         const HardDiskGeometry& geometry, const std::string& work1,
                                         const std::string& work2) {
  constexpr int kStages = 3;
  ProgressTranslator expanding(info.totalHunks, 0, kStages);
  if (Outcome o = Stage({"copy", "-i", image, "-o", work1, "-c", "none"}, expanding); !o.ok()) return o;
  if (Outcome o = Stage({"addmeta", "-i", work1, "-t", "GDDD", "-vt", GdddText(geometry)}, expanding); !o.ok()) {
    return o;
  }
  host_.write(expanding.StageEndLine());

  ProgressTranslator compressing(info.totalHunks, 1, kStages);
  if (Outcome o = Stage({"copy", "-i", work1, "-o", work2, "-c", CompressionOption(info), "-hs",
                         std::to_string(info.hunkBytes)},
                        compressing);
      !o.ok()) {
    return o;
  }
  host_.write(compressing.StageEndLine());
  Remove(work1);

  ProgressTranslator verifying(info.totalHunks, 2, kStages);
  if (Outcome o = Stage({"verify", "-i", work2}, verifying); !o.ok()) return o;

  ImageInfo result;
  if (Outcome o = Info(work2, result); !o.ok()) return o;
  if (result.geometry != geometry || result.dataSha1 != info.dataSha1 || result.codecs != info.codecs ||
      result.hunkBytes != info.hunkBytes || result.logicalBytes != info.logicalBytes) {
    return {kExitFailure, "Error: the new copy of " + image + " does not match it (data SHA1 " + result.dataSha1 +
                              ", expected " + info.dataSha1 + "); the image was not changed"};
  }
  if (Outcome o = Replace(work2, image); !o.ok()) return o;
  host_.write(verifying.StageEndLine());
  return {};
}

Bridge::Outcome Bridge::Info(const std::string& image, ImageInfo& info) {
  std::string text;
  ProgressTranslator errors(0);
  const ToolRunner::Result r = host_.tool.Run({"info", "-i", image}, [&](std::string_view chunk) {
    text.append(chunk);
    errors.Feed(chunk);
    return false;
  });
  errors.Flush();
  if (std::optional<Outcome> o = NotRun(r)) return *o;
  if (r.status != 0 || errors.ErrorReported()) {
    const std::string reason = errors.ErrorReason().empty() ? "Error: chdman info failed on " + image : errors.ErrorReason();
    return {r.status != 0 ? r.status : kExitFailure, reason};
  }
  std::optional<ImageInfo> parsed = ParseImageInfo(text);
  if (!parsed) return {kExitFailure, "Error: chdman info printed no readable description of " + image};
  info = std::move(*parsed);
  return {};
}

Bridge::Outcome Bridge::Stage(const std::vector<std::string>& args, ProgressTranslator& translator) {
  const ToolRunner::Result r = host_.tool.Run(args, [&](std::string_view chunk) {
    const std::uint64_t moves = translator.Moves();
    const std::string out = translator.Feed(chunk);
    if (!out.empty()) host_.write(out);
    return translator.Moves() != moves;
  });
  if (const std::string rest = translator.Flush(); !rest.empty()) host_.write(rest);
  if (std::optional<Outcome> o = NotRun(r)) return *o;
  if (r.status == 0 && !translator.ErrorReported()) return {};
  std::string reason = translator.ErrorReason();
  if (reason.empty()) reason = "Error: chdman " + args.front() + " ended with status " + std::to_string(r.status);
  return {r.status != 0 ? r.status : kExitFailure, reason};
}

Bridge::Outcome Bridge::CopyFileWithProgress(const std::string& from, const std::string& to,
                                             ProgressTranslator& translator) {
  std::string lastLine;
  const CopyOutcome copied = host_.copyFile(from, to, [&](std::uint64_t done, std::uint64_t total) {
    if (std::string line = translator.LineAt(done, total); line != lastLine) {
      host_.write(line);
      lastLine = std::move(line);
    }
    return host_.tool.Interrupted() == 0;
  });
  if (copied.end == CopyEnd::Stopped || host_.tool.Interrupted() != 0) return Interruption();
  if (copied.end == CopyEnd::Failed) return {kExitFailure, "Error: " + copied.error + "; the image was not changed"};
  return {};
}

Bridge::Outcome Bridge::Replace(const std::string& replacement, const std::string& image) {
  std::error_code ec;
  const fs::perms perms = fs::status(PathFromUtf8(image), ec).permissions();
  if (!ec) fs::permissions(PathFromUtf8(replacement), perms, ec);
  fs::rename(PathFromUtf8(replacement), PathFromUtf8(image), ec);
  if (ec) return {kExitFailure, "Error: " + image + " could not be replaced (" + ec.message() + "); it was not changed"};
  return {};
}

std::optional<Bridge::Outcome> Bridge::NotRun(const ToolRunner::Result& r) const {
  if (host_.tool.Interrupted() != 0) return Interruption();
  if (!r.startError.empty()) return Outcome{kExitFailure, r.startError};
  if (r.stalledSeconds != 0) {
    return Outcome{kExitFailure, "Errore: chdman ha smesso di rispondere (nessun avanzamento per " +
                                     std::to_string(r.stalledSeconds) + " secondi) ed è stato fermato"};
  }
  return std::nullopt;
}

Bridge::Outcome Bridge::Interruption() const {
  return {host_.tool.Interrupted(), "Error: interrupted; nothing was changed"};
}

}  // namespace qm::bridge

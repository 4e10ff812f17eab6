#include "sx/BlockReader.h"

#include <array>

#include "sx/ByteOrder.h"

namespace sx {
namespace {

// Ids after which nothing of the stream follows: the end block, and the zero or erased words
// that some files hold where an end block belongs.
constexpr std::uint32_t kIdZero = 0x00000000;
constexpr std::uint32_t kIdErased = 0xFFFFFFFF;

HeaderResult headerFailure(Status status, std::uint64_t value = 0) {
    HeaderResult result;
    result.problem = Problem{status, value, -1};
    return result;
}

}  // namespace

HeaderResult BlockReader::readHeader() {
    std::array<std::uint8_t, kBlockHeaderBytes> head{};
    const std::size_t got = readFully(source_, head.data(), head.size());
    position_ += static_cast<std::int64_t>(got);
    if (source_.failed()) {
        return headerFailure(Status::ReadError);
    }
    if (got < 4 || loadU32Be(head.data()) != kIdHeader) {
        return headerFailure(Status::NotAStream);
    }
    if (got < head.size()) {
        return headerFailure(Status::HeaderCut);
    }
    sizesBigEndian_ = sizesAreBigEndian(&head[4]);
    switch (readBody(head)) {
        case Body::Read:
            break;
        case Body::BadSize:
            return headerFailure(Status::HeaderBlockSize, loadU32(&head[4], sizesBigEndian_));
        case Body::Cut:
            return headerFailure(Status::HeaderCut);
        case Body::Failed:
            return headerFailure(Status::ReadError);
    }
    return parseHeaderBlock(buffer_, sizesBigEndian_);
}

BlockReader::Step BlockReader::next() {
    blockOffset_ = position_;
    std::array<std::uint8_t, kBlockHeaderBytes> head{};
    const std::size_t idBytes = readFully(source_, head.data(), 4);
    position_ += static_cast<std::int64_t>(idBytes);
    if (idBytes < 4) {
        return readFailureOr(Status::MissingEndBlock);
    }
    blockId_ = loadU32Be(head.data());
    // The end block ends the stream even when the file stops inside its size field.
    if (blockId_ == kIdEnd || blockId_ == kIdZero || blockId_ == kIdErased) {
        return Step::End;
    }
    const std::size_t sizeBytes = readFully(source_, head.data() + 4, 4);
    position_ += static_cast<std::int64_t>(sizeBytes);
    if (sizeBytes < 4) {
        return readFailureOr(Status::BlockCut);
    }
    switch (readBody(head)) {
        case Body::Read:
            break;
        case Body::BadSize:
            return stop(Status::BadBlockSize, loadU32(&head[4], sizesBigEndian_));
        case Body::Cut:
            return stop(Status::BlockCut);
        case Body::Failed:
            return stop(Status::ReadError);
    }
    return Step::Block;
}

BlockReader::Body BlockReader::readBody(const std::array<std::uint8_t, kBlockHeaderBytes>& head) {
    const std::uint32_t size = loadU32(&head[4], sizesBigEndian_);
    // The size comes from the file and becomes an allocation: bound it first.
    if (size < kBlockHeaderBytes || size > kMaxBlockBytes) {
        return Body::BadSize;
    }
    buffer_.assign(head.begin(), head.end());
    buffer_.resize(size);
    const std::size_t rest = size - kBlockHeaderBytes;
    const std::size_t got = readFully(source_, buffer_.data() + kBlockHeaderBytes, rest);
    position_ += static_cast<std::int64_t>(got);
    if (source_.failed()) {
        return Body::Failed;
    }
    return got < rest ? Body::Cut : Body::Read;
}

BlockReader::Step BlockReader::stop(Status status, std::uint64_t value) {
    problem_ = Problem{status, value, blockOffset_};
    return Step::Problem;
}

BlockReader::Step BlockReader::readFailureOr(Status status) {
    if (source_.failed()) {
        return stop(Status::ReadError);
    }
    return stop(status);
}

}  // namespace sx

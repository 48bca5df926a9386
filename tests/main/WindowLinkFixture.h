#pragma once
// The real window whose serial control answers like a controller from a script: each test
// says how frames are answered, ticks until exchanges are over and reads what went out.

#include "main/WindowFixture.h"

#include "common/LittleEndian.h"
#include "common/Crc16.h"
#include "link/LinkExchange.h"
#include "params/FlexGrid.h"
#include "params/SettingsBlock.h"

#include <QPushButton>
#include <QTest>
#include <vector>

namespace testmain {

class WindowLinkFixture : public WindowFixture {
protected:
    static constexpr int kTickBound = 5000;  // far beyond any exchange's limits

    // A reply frame: `body` followed by its CRC.
    static common::Bytes Reply(common::Bytes body)
    {
        const auto crc = common::Crc16(body.data(), body.size(), 0, body.size());
        body.push_back(crc.CRCLo);
        body.push_back(crc.CRCHi);
        return body;
    }

    // A reply whose CRC is spoilt: the exchange fails.
    static common::Bytes SpoiltReply(uint8_t command)
    {
        common::Bytes bad = Reply({0x01, command, 0x00});
        bad.back() ^= 0xFF;
        return bad;
    }

    static common::Bytes StatusReply(uint8_t command, uint8_t status) { return Reply({0x01, command, status}); }

    // An F4 reply to `request`: its address and length echoed, then `data`.
    static common::Bytes ReadReply(const common::Bytes& request, const common::Bytes& data)
    {
        common::Bytes body(request.begin(), request.begin() + 8);
        body.insert(body.end(), data.begin(), data.end());
        return Reply(body);
    }

    static uint8_t CommandOf(const common::Bytes& frame) { return frame.size() > 1 ? frame[1] : 0; }
    static uint32_t AddressOf(const common::Bytes& frame) { return common::ReadLE<uint32_t>(frame, 2).value_or(0); }

    std::vector<uint8_t> Commands() const
    {
        std::vector<uint8_t> commands;
        for (const auto& frame : port.written) commands.push_back(CommandOf(frame));
        return commands;
    }

    // A setting block of `dataLen` bytes (and the spare one) with a right length field and CRC.
    static common::Bytes StampedBlock(int dataLen, uint8_t fill = 0)
    {
        common::Bytes block(size_t(dataLen) + 1, fill);
        common::WriteLE<int32_t>(block, 20, dataLen - 32);
        params::ProtoInfoRecord info;
        info.DataLen = int16_t(dataLen);
        params::StampBlockCrc(block, info);
        return block;
    }

    void OpenThePort()
    {
        form->Command2_Click();
        ASSERT_EQ(form->Command2->text(), "CloseUart");
    }

    // A double-click on the value cell of a row of the setting grid, as the mouse gives it.
    void DoubleClickValue(int row)
    {
        params::FlexGrid* grid = form->MSFG[0];
        const QPoint centre = grid->visualRect(grid->model()->index(row, 3)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, centre);
    }

    void ChooseListEntry(int entry)
    {
        params::FlexGrid* list = form->MSFGList;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(entry, 0)).center());
    }

    // Ticks until `count` more frames have gone out and the last exchange is over; the
    // operation has then looked at its reply.
    void RunExchanges(int count = 1)
    {
        const size_t target = port.written.size() + size_t(count);
        for (int tick = 0; tick < kTickBound; ++tick) {
            if (port.written.size() >= target && form->Link().LinkPhase == 0) return;
            form->MBTim_Timer();
        }
        ADD_FAILURE() << "the exchanges did not end";
    }
};

}  // namespace testmain

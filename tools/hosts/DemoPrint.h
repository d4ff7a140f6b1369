#pragma once
// The demos' print job: a document of a few pages through the rendering library and the GDI
// host into the spooler stand-in, and the files a demo writes from it: the job's bytes and a
// picture of each printed sheet.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "tools/hosts/gdihost/DrawOps.h"
#include "tools/hosts/gdihost/GdiHost.h"
#include "tools/sample/JobReader.h"
#include "tools/sample/SheetPicture.h"

namespace kvdemo {

/// What a printed document leaves: the spooled job's bytes and id, the page in dots and the
/// resolution the device reported, and the drawing of each page as the host played it.
struct PrintedJob {
    std::vector<BYTE> bytes;
    DWORD jobId = 0;
    SIZEL pageSize{};
    LONG dpi = 0;
    std::vector<std::vector<gdihost::DrawOp>> pageOps;
};

/// Draws page n (0-based) of a document; false when a drawing call failed.
using PageDrawer = std::function<bool(gdihost::PrinterDC& dc, int n)>;

/// Loads the rendering library, opens the printer's device with the settings, prints `pages`
/// pages of the document, each drawn by `draw`, and unloads the library. With `vectorOnly`, a
/// device in graphics-only mode is refused before the job starts. Returns an empty text with
/// *job filled, else the step that failed.
inline std::string PrintDocument(LPCWSTR printer, const std::vector<BYTE>& settings, LPCWSTR document, int pages,
                                 const PageDrawer& draw, PrintedJob* job, bool vectorOnly = false) {
    gdihost::DriverModule driver;
    if (!driver.Load(u"" KV_RENDER_NAME ".dll")) return "cannot load " KV_RENDER_NAME ": error " + std::to_string(GetLastError());
    {
        gdihost::PrinterDC dc(driver);
        if (!dc.Open(printer, settings)) return "cannot open the device: error " + std::to_string(GetLastError());
        if (vectorOnly && dc.Banding()) return "the device is in graphics-only mode";
        job->pageSize = SIZEL{static_cast<LONG>(dc.GdiInfo().ulHorzRes), static_cast<LONG>(dc.GdiInfo().ulVertRes)};
        job->dpi = static_cast<LONG>(dc.GdiInfo().ulLogPixelsY);
        if (!dc.StartDoc(document)) return "StartDoc failed: error " + std::to_string(GetLastError());
        for (int n = 0; n < pages; ++n) {
            if (!dc.StartPage() || !draw(dc, n)) return "drawing page " + std::to_string(n + 1) + " failed";
            if (!dc.EndPage()) {
                return "page " + std::to_string(n + 1) + " failed in " + dc.FailedHook() + ": error " +
                       std::to_string(GetLastError());
            }
            job->pageOps.push_back(dc.PageOps());
        }
        if (!dc.EndDoc()) return "EndDoc failed: error " + std::to_string(GetLastError());
        job->bytes = standin::JobBytes(printer, dc.JobId());
        job->jobId = dc.JobId();
        dc.Close();
    }
    driver.Unload();
    return {};
}

/// The job's bytes in <out>/job.prn; empty text, else the problem.
inline std::string WriteJobFile(const std::filesystem::path& out, const std::vector<BYTE>& bytes) {
    const std::filesystem::path jobFile = out / "job.prn";
    std::ofstream(jobFile, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!std::filesystem::exists(jobFile)) return "cannot write " + jobFile.string();
    return {};
}

/// Each printed sheet as <out>/sheet-<n>.png, every `scale` x `scale` dots one grey pixel, and
/// the line that names them; empty text, else the problem.
inline std::string WriteSheetPictures(const std::filesystem::path& out, const kvtest::RenderedJob& sheets, LONG scale) {
    for (size_t i = 0; i < sheets.pages.size(); ++i) {
        const std::filesystem::path picture = out / ("sheet-" + std::to_string(i + 1) + ".png");
        if (!kvtest::WriteSheetPicture(sheets.pages[i], scale, picture.string())) return "cannot write " + picture.string();
    }
    std::printf("Sheets:   %zu pictures, %s/sheet-1.png to sheet-%zu.png\n", sheets.pages.size(), out.string().c_str(),
                sheets.pages.size());
    return {};
}

}  // namespace kvdemo

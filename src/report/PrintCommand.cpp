#include "PrintCommand.h"

#include "report/ReportPreview.h"
#include "widgets/DesktopServices.h"

#include <QTreeWidget>

namespace vs
{

void PrintReport(const ReportTableSource &list, PrintFields &fields, QWidget *parent,
                 const PrintServices &services)
{
    fields = PrintFields{};
    {
        Form4 dialog(fields, services.today, parent);
        if (services.runDialog)
            services.runDialog(dialog);
        else
            dialog.exec();
    }
    fields.copyName = fields.copyName.trimmed();
    if (!fields.confirmed)
        return;

    ReportOutput output;
    if (services.place)
        output.place = *services.place;
    // The writer below has no windows: the real box and preview come from here.
    output.boxes = services.boxes ? services.boxes : &DefaultMessageBoxes();
    output.openPreview = services.openPreview ? services.openPreview : PreviewOpener(OpenReportPreview);
    output.parent = parent;
    WriteHtmlReport(list(), fields.heading1, fields.heading2, fields.heading3, fields.copyName, output);
}

void PrintCommand(bool scanRunning, const ReportTableSource &list, PrintFields &fields, QWidget *parent,
                  const PrintServices &services)
{
    if (scanRunning || list().rows.empty()) {
        MessageBoxes &boxes = services.boxes ? *services.boxes : DefaultMessageBoxes();
        boxes.show(parent, QStringLiteral("Нет данных для печати!"), QStringLiteral("Печать"),
                   MessageBoxes::Icon::Information);
        return;
    }
    PrintReport(list, fields, parent, services);
}

void PrintCommand(bool scanRunning, const QTreeWidget &list,
                  const std::function<float(int column)> &widthTwips, PrintFields &fields, QWidget *parent,
                  const PrintServices &services)
{
    PrintCommand(
        scanRunning, [&list, &widthTwips] { return ReportTableFromList(list, widthTwips); }, fields, parent,
        services);
}

} // namespace vs

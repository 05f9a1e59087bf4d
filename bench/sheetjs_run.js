// Times the peer: reads each workbook with SheetJS and writes every sheet as
// HTML (sheet_to_html), one file per workbook, on one thread.
// usage: node sheetjs_run.js LIST OUTDIR
//        node sheetjs_run.js --screen LIST KEPT_LIST
//        node sheetjs_run.js --convert IN OUT
// LIST: one workbook path a line. --screen (untimed) keeps the workbooks that
// SheetJS reads and whose sheets span at most MAX_CELLS cells: sheet_to_html
// writes every cell of a sheet's extent, so a single cell at XFD1048576 would
// run for days. --convert (untimed) saves a workbook in the format OUT's
// extension names (the benchmark's large .xlsb is the large .xlsx so saved).
const fs = require('fs');
const path = require('path');
const XLSX = require('xlsx');
const MAX_CELLS = 20e6;
// sheet_to_html throws on a sheet without cells (no extent): such a sheet is
// an empty page, and costs nothing.
const toHtml = sheet => (sheet['!ref'] ? XLSX.utils.sheet_to_html(sheet) : '');
const args = process.argv.slice(2);
if (args[0] === '--convert') {
  // Number formats kept, parts deflated, as a spreadsheet application saves them.
  XLSX.writeFile(XLSX.readFile(args[1], { cellNF: true, cellStyles: true }), args[2], { compression: true });
  process.exit(0);
}
if (args[0] === '--screen') {
  const files = fs.readFileSync(args[1], 'utf8').split('\n').filter(Boolean);
  const kept = [];
  for (const file of files) {
    try {
      const wb = XLSX.readFile(file);
      const cells = wb.SheetNames.reduce((n, s) => {
        const ref = wb.Sheets[s]['!ref'];
        if (!ref) return n;
        const r = XLSX.utils.decode_range(ref);
        return n + (r.e.r - r.s.r + 1) * (r.e.c - r.s.c + 1);
      }, 0);
      if (cells > MAX_CELLS) {
        console.log(`left out (extent of ${cells} cells): ${file}`);
        continue;
      }
      wb.SheetNames.forEach(n => toHtml(wb.Sheets[n]));
      kept.push(file);
    } catch (e) {
      console.log(`left out (SheetJS fails: ${String(e.message).slice(0, 60)}): ${file}`);
    }
  }
  fs.writeFileSync(args[2], kept.join('\n') + '\n');
  process.exit(0);
}
const [list, outDir] = args;
const files = fs.readFileSync(list, 'utf8').split('\n').filter(Boolean);
fs.mkdirSync(outDir, { recursive: true });
let ok = 0, failed = 0;
const t0 = process.hrtime.bigint();
files.forEach((file, i) => {
  try {
    const wb = XLSX.readFile(file);
    const parts = wb.SheetNames.map(n => toHtml(wb.Sheets[n]));
    fs.writeFileSync(path.join(outDir, i + '.htm'), parts.join('\n'));
    ok++;
  } catch (e) {
    failed++;
  }
});
const secs = Number(process.hrtime.bigint() - t0) / 1e9;
console.log(`sheetjs: ${ok} converted, ${failed} failed in ${secs.toFixed(2)} s`);

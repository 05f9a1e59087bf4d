// Times the peer: reads each workbook with SheetJS and writes every sheet as
// HTML (sheet_to_html), one file per workbook, on one thread.
// usage: node sheetjs_run.js LIST OUTDIR   (LIST: one workbook path a line)
const fs = require('fs');
const path = require('path');
const XLSX = require('xlsx');
const [list, outDir] = process.argv.slice(2);
const files = fs.readFileSync(list, 'utf8').split('\n').filter(Boolean);
fs.mkdirSync(outDir, { recursive: true });
let ok = 0, failed = 0;
const t0 = process.hrtime.bigint();
files.forEach((file, i) => {
  try {
    const wb = XLSX.readFile(file);
    const parts = wb.SheetNames.map(n => XLSX.utils.sheet_to_html(wb.Sheets[n]));
    fs.writeFileSync(path.join(outDir, i + '.htm'), parts.join('\n'));
    ok++;
  } catch (e) {
    failed++;
  }
});
const secs = Number(process.hrtime.bigint() - t0) / 1e9;
console.log(`sheetjs: ${ok} converted, ${failed} failed in ${secs.toFixed(2)} s`);

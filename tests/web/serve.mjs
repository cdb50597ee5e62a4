// A static file server on 127.0.0.1 for the web tests: serves one folder, answers 404 for
// anything outside it or missing. Usage: node serve.mjs FOLDER [PORT]; prints the port.
import http from "node:http";
import fs from "node:fs";
import path from "node:path";

const types = {
  ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm",
  ".png": "image/png", ".xm": "application/octet-stream", ".tga": "application/octet-stream",
};

export function serveFolder(folder, port = 0) {
  const root = path.resolve(folder);
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, "http://localhost").pathname);
    const file = path.resolve(root, "." + (name.endsWith("/") ? name + "index.html" : name));
    if (!file.startsWith(root + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, {
      "Content-Type": types[path.extname(file).toLowerCase()] || "application/octet-stream",
      "Cache-Control": "no-store",
    });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(port, "127.0.0.1", () => resolve(server)));
}

if (process.argv[1] && import.meta.url.endsWith(path.basename(process.argv[1]))) {
  const server = await serveFolder(process.argv[2] || ".", Number(process.argv[3] || 0));
  console.log(server.address().port);
}

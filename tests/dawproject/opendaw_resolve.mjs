// openDAW's packages are built for a bundler: their imports name modules
// without ".js" and folders without "/index.js". This resolve hook lets Node
// find them as a bundler would.
export async function resolve(specifier, context, nextResolve) {
  try {
    return await nextResolve(specifier, context);
  } catch (error) {
    const relative = specifier === "." || specifier.startsWith("./") || specifier.startsWith("../");
    if (!relative || !["ERR_MODULE_NOT_FOUND", "ERR_UNSUPPORTED_DIR_IMPORT"].includes(error.code)) throw error;
    const forms = specifier === "." ? ["./index.js"] : [specifier + ".js", specifier + "/index.js"];
    for (const candidate of forms) {
      try {
        return await nextResolve(candidate, context);
      } catch {
        // try the next form
      }
    }
    throw error;
  }
}

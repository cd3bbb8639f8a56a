#pragma once
// What a failed fetch means, in plain Japanese (Shift-JIS), naming the step that failed: for the
// news dialog's try button and the probe's error output.

// The text for a result code of a fetch; kNewsOk and unknown codes have texts of their own.
const char* NewsFailureText(int result);

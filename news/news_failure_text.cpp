#include "news/news_failure_text.h"

#include "news/headlines.h"

const char* NewsFailureText(int result) {
    switch (result) {
        case kNewsOk: return "見出しを取り出せました。";
        case kNewsNoWinsock: return "通信の準備（Winsock の開始）ができませんでした。";
        case kNewsNoSocket: return "通信の準備（ソケットの作成）ができませんでした。";
        case kNewsNoHost:
            return "ホスト名が見つかりませんでした。アドレスのホスト名を確かめてください。";
        case kNewsNoConnection:
            return "サーバーにつながりませんでした（接続、暗号化、証明書またはプロキシの段階）。";
        case kNewsNotSent: return "サーバーへ要求を送れませんでした。";
        case kNewsNoStartMarker:
            return "ページから見出しを取り出せませんでした（エラーの応答、転送が多すぎる、または"
                   "見出しの元がない）。";
        case kNewsPollFailed: return "時間切れです。15 秒のうちにページが届きませんでした。";
        default: return "不明な理由で取得できませんでした。";
    }
}

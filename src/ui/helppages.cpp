#include "ui/helppages.h"

namespace ui {

const QList<HelpTopic>& helpTopics() {
    static const QList<HelpTopic> topics = {
        {22,
         QStringLiteral("メインメニュー"),
         QStringLiteral(
             "<p>通話記録表・個人情報一覧表・ダイヤル発信・回線使用料金・オプション設定の"
             "各機能をボタンまたは「実行」メニューから選びます。</p>"
             "<p>ウィンドウを右クリックして「メニュー省略化」を選ぶと、小さなボタン"
             "だけのメニューに切り替わります。元に戻すには小さなメニューを右クリックして"
             "「メニュー標準化」を選びます。</p>"),
         {QStringLiteral("メニュー"), QStringLiteral("終了"), QStringLiteral("メニュー省略化")}},
        {4,
         QStringLiteral("通話記録表"),
         QStringLiteral("<p>ＨＧから受信した通話記録を一覧表示します。「全表示」「留守番」「発信」"
                        "「着信」で表示する記録を絞り込めます。</p>"
                        "<p>「LOG 再読」でＨＧから記録を読み直し、「LOG 削除」でＨＧ内の記録を"
                        "消去します。</p>"),
         {QStringLiteral("通話記録"), QStringLiteral("LOG"), QStringLiteral("履歴")}},
        {13,
         QStringLiteral("ダイヤル発信"),
         QStringLiteral("<p>電話番号を入力して「ダイヤル開始」を押すと、ＨＧが発信します。"
                        "「R」で以前にかけた番号を呼び出せます。「連続モード」では相手が話中の"
                        "ときに自動で掛け直します。</p>"),
         {QStringLiteral("ダイヤル"), QStringLiteral("リダイヤル"), QStringLiteral("連続")}},
        {15,
         QStringLiteral("個人情報一覧表"),
         QStringLiteral("<p>電話帳を読み順に一覧表示します。登録・修正・削除とダイヤル発信が"
                        "できます。</p>"),
         {QStringLiteral("電話帳"), QStringLiteral("個人情報")}},
        {16,
         QStringLiteral("個人情報編集"),
         QStringLiteral(
             "<p>氏名・読み・TEL・FAX・郵便番号・住所・備考と画像を編集します。"
             "氏名を漢字変換で入力すると読みが自動で入ります。TEL と氏名は省略できません。"
             "</p>"),
         {QStringLiteral("個人情報"), QStringLiteral("読み"), QStringLiteral("画像")}},
        {17,
         QStringLiteral("回線使用料金"),
         QStringLiteral("<p>ＴＥＬ１・ＴＥＬ２・デジタル通信の使用料金をＨＧから読み出して表示"
                        "します。「ﾘｾｯﾄ」で料金を初期化します。</p>"),
         {QStringLiteral("料金"), QStringLiteral("リセット")}},
        {18,
         QStringLiteral("オプション設定"),
         QStringLiteral("<p>パスワード、ログ記録モード、COM ポート、ダイヤル回線、ＴＡの機種を"
                        "設定します。パスワードは半角数字４桁です。</p>"),
         {QStringLiteral("オプション"), QStringLiteral("パスワード"), QStringLiteral("COM")}},
        {19,
         QStringLiteral("パスワード入力"),
         QStringLiteral("<p>ＨＧにパスワードが設定されているときは、通話記録の受信前に"
                        "パスワードを入力します。</p>"),
         {QStringLiteral("パスワード")}},
        {20,
         QStringLiteral("COM ポート"),
         QStringLiteral("<p>COM ポートを開けませんでした。ケーブルとＨＧの電源を確かめ、"
                        "オプション設定で正しい COM ポートを選んでください。</p>"),
         {QStringLiteral("COM"), QStringLiteral("ポート"), QStringLiteral("エラー")}},
    };
    return topics;
}

const HelpTopic* helpTopic(int context) {
    for (const HelpTopic& topic : helpTopics()) {
        if (topic.context == context) {
            return &topic;
        }
    }
    return nullptr;
}

QString helpOnHelpPage() {
    return QStringLiteral(
        "<h2>ヘルプの使い方</h2>"
        "<p>「目次」から項目を選ぶか、「ﾄﾋﾟｯｸの検索」でキーワードを入力して"
        "項目を探します。各ウィンドウで F1 キーを押すと、そのウィンドウの"
        "説明が表示されます。</p>");
}

}  // namespace ui

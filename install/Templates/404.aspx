<%@ Page Language="C#" %>
<script runat="server">
    protected string Requested = string.Empty;

    protected void Page_Load(object sender, EventArgs e)
    {
        string query = Request.ServerVariables["QUERY_STRING"] ?? string.Empty;
        Requested = query.StartsWith("404;", StringComparison.Ordinal) ? query.Substring(4) : query;
        Response.StatusCode = 404;
        Response.ContentType = "text/html";
        Response.Charset = "utf-8";
    }
</script>
<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="robots" content="noindex">
<title>Page not found</title>
<!-- Example dynamic 404 page from the Quorvane templates. The error handler runs it for 404 Not Found with the query string "404;" followed by the requested address, and the page shows that address HTML-escaped. Adapt the wording and the look to your site. -->
<style>
  html { background: #eef1f5; }
  body { margin: 0; color: #1d2733; font: 15px/1.6 "Segoe UI", Tahoma, "DejaVu Sans", Verdana, Arial, sans-serif; }
  a { color: #1f5f99; }
  a:hover { color: #0d3b66; }
  .bar { background: #1f3a5f; color: #fff; }
  .bar .wrap { padding-top: 22px; padding-bottom: 22px; }
  .bar .kicker { margin: 0; font-size: 12px; letter-spacing: .14em; text-transform: uppercase; color: #a8c0dd; }
  .bar h1 { margin: 2px 0 0; font-size: 27px; font-weight: 600; line-height: 1.25; }
  .bar p.lead { margin: 6px 0 0; color: #d5e1ef; max-width: 46em; }
  .wrap { max-width: 900px; margin: 0 auto; padding: 0 28px; }
  main.wrap { padding-top: 26px; padding-bottom: 36px; }
  h2 { margin: 34px 0 10px; padding-bottom: 6px; border-bottom: 2px solid #d9e0e9; color: #1f3a5f; font-size: 21px; font-weight: 600; }
  h3 { margin: 24px 0 6px; color: #27466d; font-size: 17px; font-weight: 600; }
  h4 { margin: 18px 0 4px; font-size: 15px; }
  p, ul, ol { margin: 8px 0; }
  li { margin: 3px 0; }
  .panel { background: #fff; border: 1px solid #d6dde6; border-radius: 8px; padding: 4px 24px 18px; }
  .toc { background: #fff; border: 1px solid #d6dde6; border-radius: 8px; padding: 12px 24px; columns: 2; column-gap: 36px; }
  .toc ol { margin: 0; padding-left: 20px; }
  .toc li { margin: 0 0 5px; break-inside: avoid; }
  table { border-collapse: collapse; width: 100%; margin: 10px 0 14px; background: #fff; font-size: 14px; }
  th, td { border: 1px solid #d6dde6; padding: 6px 10px; text-align: left; vertical-align: top; }
  th { background: #e7ecf3; color: #1f3a5f; font-weight: 600; }
  tr:nth-child(even) td { background: #f8fafc; }
  code, kbd, pre { font-family: Consolas, "DejaVu Sans Mono", "Courier New", monospace; font-size: 13px; }
  code { background: #e9eef4; border-radius: 3px; padding: 1px 5px; white-space: nowrap; }
  pre { background: #15263b; color: #e4ecf5; border-radius: 6px; padding: 12px 16px; overflow-x: auto; line-height: 1.5; }
  pre code { background: none; padding: 0; white-space: pre; color: inherit; }
  kbd { border: 1px solid #b8c3d1; border-bottom-width: 2px; border-radius: 3px; background: #fff; padding: 0 5px; }
  .note, .warn { border-left: 4px solid #2a7ab0; background: #e8f1f9; border-radius: 0 6px 6px 0; padding: 9px 14px; margin: 12px 0; }
  .warn { border-left-color: #c77c12; background: #fbf2e3; }
  footer { color: #66768a; font-size: 13px; border-top: 1px solid #d6dde6; margin-top: 34px; padding-top: 12px; }
  .error-page { min-height: 100vh; display: flex; align-items: center; justify-content: center; padding: 24px; box-sizing: border-box; }
  .error-card { max-width: 560px; background: #fff; border: 1px solid #d6dde6; border-radius: 10px; padding: 30px 36px 24px; box-shadow: 0 6px 24px rgba(31, 58, 95, .08); }
  .error-code { margin: 0; font-size: 64px; font-weight: 700; line-height: 1; color: #1f3a5f; letter-spacing: .02em; }
  .error-card h1 { margin: 10px 0 8px; font-size: 23px; font-weight: 600; color: #1d2733; }
  .error-card .requested { margin: 14px 0; padding: 8px 12px; background: #f3f6f9; border: 1px solid #e0e6ed; border-radius: 6px; font-size: 14px; overflow-wrap: anywhere; }
  .error-card .requested code { white-space: normal; background: none; padding: 0; }
  .error-card .foot { margin-top: 22px; padding-top: 12px; border-top: 1px solid #e3e8ee; color: #66768a; font-size: 13px; }
</style>
</head>
<body>
<div class="error-page">
  <div class="error-card">
    <p class="error-code">404</p>
    <h1>We can&#39;t find that page</h1>
    <p>The page you asked for is not here. It may have been moved or renamed, or the address may be mistyped.</p>
<% if (Requested.Length > 0) { %>
    <p class="requested">Requested address: <code><%= Server.HtmlEncode(Requested) %></code></p>
<% } %>
    <ul>
      <li>Check the address for typing errors.</li>
      <li>Start again from the <a href="/">home page</a>.</li>
      <li>If a link on this site brought you here, please let the site&#39;s owner know so it can be fixed.</li>
    </ul>
    <p class="foot">Error 404 &middot; Not Found</p>
  </div>
</div>
</body>
</html>
